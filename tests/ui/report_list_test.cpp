#include "ui/report_list_view.h"

#include "qt_test_support.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zelvor {
namespace {

using namespace Qt::StringLiterals;
using testing::PumpUntil;

QList<ListColumn> MemberColumns() {
    return {{QStringLiteral("编号"), 50},
            {QStringLiteral("用户呢称"), 300},
            {QStringLiteral("用户ID"), 200},
            {QStringLiteral("url"), 0}};
}

QStringList Column0(const ReportListView& list) {
    QStringList texts;
    for (int row = 0; row < list.RowCount(); ++row) {
        texts.append(list.GetCellText(row));
    }
    return texts;
}

TEST(ReportRowTest, KeepsEveryCellWhateverItHolds) {
    const QString longText(600, u'长');
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    ReportRow row({QStringLiteral("1"), QString(), longText, withNul});
    EXPECT_EQ(row.Cell(0), u"1");
    EXPECT_EQ(row.Cell(1), QString());
    EXPECT_EQ(row.Cell(2), longText);
    EXPECT_EQ(row.Cell(3), withNul);
    EXPECT_EQ(row.Cell(4), QString());

    row.SetCell(1, QStringLiteral("昵称😀"));
    row.SetCell(6, QStringLiteral("far"));
    row.SetCell(3, QString());
    EXPECT_EQ(row.Cell(0), u"1");
    EXPECT_EQ(row.Cell(1), QStringLiteral("昵称😀"));
    EXPECT_EQ(row.Cell(2), longText);
    EXPECT_EQ(row.Cell(3), QString());
    EXPECT_EQ(row.Cell(5), QString());
    EXPECT_EQ(row.Cell(6), u"far");
}

class ReportListTest : public ::testing::Test {
  protected:
    ReportListView list{MemberColumns(), false};
    QAbstractItemModelTester tester{list.Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ReportListTest, InsertRowPlacesRowsByPosition) {
    struct Case {
        int position;
        int expectedIndex;
        QStringList expected;
    };
    const Case cases[] = {
        {-1, 3, {u"a"_s, u"b"_s, u"c"_s, u"new"_s}}, {3, 3, {u"a"_s, u"b"_s, u"c"_s, u"new"_s}},
        {99, 3, {u"a"_s, u"b"_s, u"c"_s, u"new"_s}}, {0, 0, {u"new"_s, u"a"_s, u"b"_s, u"c"_s}},
        {1, 1, {u"a"_s, u"new"_s, u"b"_s, u"c"_s}},
    };
    for (const Case& c : cases) {
        list.DeleteAllRows();
        for (const char16_t* text : {u"a", u"b", u"c"}) {
            list.InsertRow(-1, QString::fromUtf16(text));
        }
        EXPECT_EQ(list.InsertRow(c.position, QStringLiteral("new")), c.expectedIndex) << c.position;
        EXPECT_EQ(Column0(list), c.expected) << c.position;
        EXPECT_EQ(list.RowCount(), 4);
    }
    EXPECT_EQ(list.InsertRow(), 4);
    EXPECT_EQ(list.GetCellText(4), QString());
}

TEST_F(ReportListTest, CellsOfMissingRowsOrColumnsAreRefused) {
    list.InsertRow(-1, QStringLiteral("1"));
    EXPECT_FALSE(list.SetCellText(5, 1, QStringLiteral("x")));
    EXPECT_FALSE(list.SetCellText(-1, 0, QStringLiteral("x")));
    EXPECT_FALSE(list.SetCellText(0, 4, QStringLiteral("x")));
    EXPECT_EQ(list.GetCellText(5), QString());
    EXPECT_EQ(list.GetCellText(0, 4), QString());
    EXPECT_EQ(Column0(list), QStringList{u"1"_s});

    EXPECT_TRUE(list.SetCellText(0, 3, QStringLiteral("https://example.invalid/home")));
    EXPECT_EQ(list.GetCellText(0, 3), u"https://example.invalid/home");
    EXPECT_EQ(list.GetCellText(0, 2), QString());
    EXPECT_TRUE(list.SetCellText(0));
    EXPECT_EQ(list.GetCellText(0), QString());
}

TEST_F(ReportListTest, DeleteAllRowsKeepsTheColumns) {
    std::vector<ReportRow> rows(1000);
    EXPECT_EQ(list.InsertRows(std::move(rows)), 0);
    list.DeleteAllRows();
    EXPECT_EQ(list.RowCount(), 0);
    ASSERT_EQ(list.Model()->columnCount(), 4);
    EXPECT_EQ(list.Model()->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), u"url");
    EXPECT_EQ(list.InsertRows({}), -1);
}

TEST_F(ReportListTest, BatchInsertGoesBeforePosition) {
    list.InsertRow(-1, QStringLiteral("a"));
    list.InsertRow(-1, QStringLiteral("d"));
    std::vector<ReportRow> rows;
    rows.emplace_back(QStringList{u"b"_s, u"nick b"_s});
    rows.emplace_back(QStringList{u"c"_s});
    EXPECT_EQ(list.InsertRows(std::move(rows), 1), 1);
    EXPECT_EQ(Column0(list), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
    EXPECT_EQ(list.GetCellText(1, 1), u"nick b");
}

TEST_F(ReportListTest, HiddenColumnHasNoWidthAndHeaderClicksKeepTheOrder) {
    list.resize(600, 300);
    list.show();
    QHeaderView* header = list.horizontalHeader();
    EXPECT_EQ(header->sectionSize(0), 50);
    EXPECT_EQ(header->sectionSize(1), 300);
    EXPECT_EQ(header->sectionSize(2), 200);
    EXPECT_EQ(header->sectionSize(3), 0);

    for (const char16_t* text : {u"2", u"1", u"3"}) {
        list.InsertRow(-1, QString::fromUtf16(text));
    }
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      {header->sectionPosition(0) + 10, header->height() / 2});
    EXPECT_EQ(Column0(list), (QStringList{u"2"_s, u"1"_s, u"3"_s}));
}

QPoint CellCentre(const ReportListView& list, int row, int column) {
    return list.visualRect(list.Model()->index(row, column)).center();
}

TEST(ReportListSelectionTest, MemberListSelectsByTheFirstCellOnly) {
    ReportListView list(MemberColumns(), false);
    list.resize(600, 300);
    list.show();
    list.InsertRow(-1, QStringLiteral("1"));
    list.InsertRow(-1, QStringLiteral("2"));

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(list, 0, 1));
    EXPECT_FALSE(list.selectionModel()->hasSelection());

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(list, 0, 0));
    const QModelIndexList selected = list.selectionModel()->selectedIndexes();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front(), list.Model()->index(0, 0));
}

TEST(ReportListSelectionTest, ForumListSelectsWholeRowsOneAtATime) {
    ReportListView list({{u"贴吧名"_s, 200}, {u"状态"_s, 50}}, true);
    list.resize(300, 300);
    list.show();
    list.InsertRow(-1, QStringLiteral("a"));
    list.InsertRow(-1, QStringLiteral("b"));
    EXPECT_FALSE(list.selectionModel()->hasSelection());

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(list, 0, 1));
    EXPECT_EQ(list.selectionModel()->selectedRows(), QModelIndexList{list.Model()->index(0, 0)});
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, CellCentre(list, 1, 0));
    EXPECT_EQ(list.selectionModel()->selectedRows(), QModelIndexList{list.Model()->index(1, 0)});
}

TEST(ReportListSelectionTest, SelectionShowsOnlyWhileTheListHasTheFocus) {
    QWidget window;
    ReportListView list({{u"贴吧名"_s, 200}, {u"状态"_s, 50}}, true, &window);
    QLineEdit elsewhere(&window);
    list.setGeometry(0, 30, 300, 200);
    window.resize(300, 250);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return window.isActiveWindow(); }));
    list.InsertRow(-1, u"a"_s);
    list.setFocus();
    list.selectRow(0);

    const QPoint emptyCell = CellCentre(list, 0, 1);
    const auto colourAt = [&] { return list.viewport()->grab().toImage().pixelColor(emptyCell); };
    EXPECT_EQ(colourAt(), list.palette().color(QPalette::Active, QPalette::Highlight));
    elsewhere.setFocus();
    EXPECT_EQ(colourAt(), list.palette().color(QPalette::Base));
    EXPECT_TRUE(list.selectionModel()->isRowSelected(0));
}

TEST_F(ReportListTest, WorkerThreadCallsRunOnTheViewsThreadAndWait) {
    constexpr int kRows = 200;
    std::atomic<bool> done = false;
    bool allSeen = true;
    std::thread worker([&] {
        for (int i = 0; i < kRows; ++i) {
            const int row = list.InsertRow(-1, QString::number(i));
            allSeen = allSeen && row == i && list.SetCellText(row, 1, QStringLiteral("昵称")) &&
                      list.GetCellText(row, 1) == u"昵称" && list.RowCount() == i + 1;
        }
        std::vector<ReportRow> rows;
        for (int i = 0; i < 50; ++i) {
            rows.emplace_back(QStringList{u"batch"_s});
        }
        allSeen = allSeen && list.InsertRows(std::move(rows)) == kRows;
        list.EnsureRowVisible(kRows);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(allSeen);
    EXPECT_EQ(list.RowCount(), kRows + 50);
    list.DeleteAllRows();
    EXPECT_EQ(list.RowCount(), 0);
}

}  // namespace
}  // namespace zelvor
