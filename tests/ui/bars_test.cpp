#include "ui/status_bar.h"
#include "ui/tool_bar.h"

#include "qt_test_support.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zelvor {
namespace {

using namespace Qt::StringLiterals;

QList<ToolBarButton> Entries() {
    using enum ToolBarButton::Kind;
    return {{PushButton, 0, u"导入贴吧名"_s}, {Separator, -1, {}},
            {PushButton, -1, u"开始采集"_s},  {Separator, -1, {}},
            {PushButton, 1, u"清空"_s},       {Separator, -1, {}}};
}

class ToolBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bar.FitToWidth(600);
        bar.show();
    }

    QToolButton* Button(int index) const {
        return bar.findChildren<QToolButton*>(Qt::FindDirectChildrenOnly).at(index);
    }

    ToolBar bar{Entries(), {}};
};

TEST_F(ToolBarTest, ClicksReportThePositionSeparatorsCounted) {
    QSignalSpy clicked(&bar, &ToolBar::ButtonClicked);
    for (int index = 0; index < 3; ++index) {
        QTest::mouseClick(Button(index), Qt::LeftButton);
    }
    ASSERT_EQ(clicked.size(), 3);
    EXPECT_EQ(clicked[0][0].toInt(), 0);
    EXPECT_EQ(clicked[1][0].toInt(), 2);
    EXPECT_EQ(clicked[2][0].toInt(), 4);
}

TEST_F(ToolBarTest, CaptionsByPosition) {
    EXPECT_EQ(bar.GetButtonCaption(0), u"导入贴吧名");
    EXPECT_EQ(bar.GetButtonCaption(4), u"清空");
    for (int outside : {-1, 1, 5, 6}) {
        EXPECT_EQ(bar.GetButtonCaption(outside), QString()) << outside;
    }

    const int before = Button(1)->width();
    bar.SetButtonCaption(2, u"一个长得多的按钮标题"_s);
    EXPECT_EQ(bar.GetButtonCaption(2), u"一个长得多的按钮标题");
    EXPECT_EQ(Button(1)->text(), u"一个长得多的按钮标题");
    EXPECT_GT(Button(1)->width(), before);
    EXPECT_GT(Button(2)->x(), Button(1)->geometry().right());

    bar.SetButtonCaption(6, u"x"_s);
    bar.SetButtonCaption(1, u"x"_s);
    EXPECT_EQ(bar.GetButtonCaption(1), QString());
    bar.SetButtonCaption(4);
    EXPECT_EQ(bar.GetButtonCaption(4), QString());
}

TEST_F(ToolBarTest, ButtonsThatDoNotFitWrapAndTheBarGrows) {
    const int oneRow = bar.height();
    bar.FitToWidth(Button(0)->width() + 10);
    EXPECT_GT(bar.height(), 2 * oneRow - 10);
    EXPECT_GT(Button(1)->y(), Button(0)->y());
}

TEST_F(ToolBarTest, CaptionsCanBeSetFromAWorkerThread) {
    std::atomic<bool> done = false;
    QString readBack;
    std::thread worker([&] {
        bar.SetButtonCaption(0, u"采集中"_s);
        readBack = bar.GetButtonCaption(0);
        done = true;
    });
    EXPECT_TRUE(testing::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(readBack, u"采集中");
    EXPECT_EQ(Button(0)->text(), u"采集中");
}

TEST(StatusBarTest, PanelsKeepTheirEdgesAndTakeNewTexts) {
    StatusBar bar({{250, {}}, {430, u"免费"_s}, {320, u"版权"_s}});
    bar.setGeometry(0, 0, 900, bar.sizeHint().height());
    bar.show();
    const QList<QLabel*> panels = bar.findChildren<QLabel*>();
    ASSERT_EQ(panels.size(), 3);
    EXPECT_EQ(panels[0]->geometry().right() + 1, 250);
    EXPECT_EQ(panels[1]->geometry().right() + 1, 680);
    EXPECT_EQ(panels[2]->geometry().right() + 1, 1000);
    EXPECT_EQ(panels[1]->text(), u"免费");

    bar.SetPanelText(0, u"<b>已停止采集</b>"_s);
    EXPECT_EQ(panels[0]->text(), u"<b>已停止采集</b>");
    EXPECT_EQ(panels[0]->textFormat(), Qt::PlainText);
    bar.SetPanelText(0);
    EXPECT_EQ(panels[0]->text(), QString());
    bar.SetPanelText(3, u"x"_s);
    bar.SetPanelText(-1, u"x"_s);
    EXPECT_EQ(panels[1]->text(), u"免费");
    EXPECT_EQ(panels[2]->text(), u"版权");
    EXPECT_EQ(bar.PanelText(2), u"版权");
    EXPECT_EQ(bar.PanelText(3), QString());

    std::atomic<bool> done = false;
    std::thread worker([&] {
        bar.SetPanelText(2, u"来自线程"_s);
        done = true;
    });
    EXPECT_TRUE(testing::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(panels[2]->text(), u"来自线程");
}

}  // namespace
}  // namespace zelvor
