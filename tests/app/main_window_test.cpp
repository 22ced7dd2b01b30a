#include "app/window/main_window.h"

#include "qt_test_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zelvor {
namespace {

using namespace Qt::StringLiterals;
using testing::PumpFor;
using testing::PumpUntil;

class RecordingActions : public MainWindowActions {
  public:
    using MainWindowActions::MainWindowActions;

    void ImportForumNames() override { calls.append(u"ImportForumNames"_s); }
    void StartCollection() override { calls.append(u"StartCollection"_s); }
    void StopCollection() override { calls.append(u"StopCollection"_s); }
    void ExportNicknames() override { calls.append(u"ExportNicknames"_s); }
    void ExportUserIds() override { calls.append(u"ExportUserIds"_s); }
    void ExportAll() override { calls.append(u"ExportAll"_s); }
    void ClearResults() override { calls.append(u"ClearResults"_s); }
    void AddDroppedForumFiles(const QString& paths) override { dropped.append(paths); }
    void NoticeTimerTick() override { ++noticeTicks; }
    std::optional<bool> NoticeBannerPressed(int x, int y, int modifiers) override {
        bannerPresses.append({x, y, modifiers});
        return std::nullopt;
    }
    bool MayClose() override {
        ++closeQueries;
        return mayClose;
    }

    QStringList calls;
    QStringList dropped;
    int noticeTicks = 0;
    QList<QList<int>> bannerPresses;
    int closeQueries = 0;
    bool mayClose = true;
};

class MainWindowTest : public ::testing::Test {
  protected:
    explicit MainWindowTest(StartOptions options = {}) : window(std::move(options)) {
        auto recording = std::make_unique<RecordingActions>(window);
        actions = recording.get();
        window.SetActions(std::move(recording));
        window.Open();
    }

    template <class T = QWidget>
    T* Find(const QString& name) const {
        return window.findChild<T*>(name);
    }

    // Gives the window the keyboard, as the user's click on it would.
    void Activate() {
        window.activateWindow();
        ASSERT_TRUE(PumpUntil([&] { return window.isActiveWindow(); }));
    }

    MainWindow window;
    RecordingActions* actions;
};

TEST_F(MainWindowTest, FrameIsFixedCentredAndCannotBeMaximised) {
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.frameGeometry().size(), QSize(994, 670));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // Truncated toward zero, so a screen smaller than the window gives a negative place.
    EXPECT_EQ(window.frameGeometry().topLeft(),
              QPoint((screen.width() - 994) / 2, (screen.height() - 670) / 2));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(
        window.windowTitle(),
        u"Zelvor贴吧用户采集器【免费版】  QQ：00000000 微信：zelvor_example 官网：www.zelvor.example"_s);
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(256, 256)));
}

TEST_F(MainWindowTest, UnitsSitWhereTheTemplatePutsThem) {
    QWidget* client = Find(u"分组框1"_s)->parentWidget();
    for (const UnitTemplate& unit : WindowTemplate()) {
        auto* widget = Find(unit.name.toString());
        if (widget == nullptr || unit.kind == UnitKind::MenuEntry ||
            unit.kind == UnitKind::ToolBar || unit.kind == UnitKind::StatusBar) {
            continue;
        }
        const std::string name = unit.name.toString().toStdString();
        EXPECT_EQ(widget->geometry(), unit.place) << name;
        EXPECT_EQ(widget->isVisible(), unit.shown) << name;
        EXPECT_EQ(widget->parentWidget(),
                  unit.parent.isEmpty() ? client : Find(unit.parent.toString()))
            << name;
    }
    // A few places as the window's design gives them.
    EXPECT_EQ(Find(u"编辑框_采集页数"_s)->geometry(), QRect(704, 37, 45, 24));
    EXPECT_EQ(Find(u"超级列表框_用户名"_s)->geometry(), QRect(3, 17, 685, 442));
    EXPECT_EQ(Find(u"超级列表框_用户名"_s)->parentWidget()->objectName(), u"分组框2");
    EXPECT_EQ(Find(u"透明标签2"_s)->geometry(), QRect(0, -1, 692, 40));
    EXPECT_FALSE(Find(u"标签1"_s)->isVisible());
    EXPECT_EQ(client->mapTo(&window, QPoint(0, 0)).y(), window.findChild<QMenuBar*>()->height());

    // The bars run along the edges, beneath the option controls over the toolbar's strip.
    EXPECT_EQ(Find(u"工具条1"_s)->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(Find(u"工具条1"_s)->width(), client->width());
    EXPECT_EQ(Find(u"状态条1"_s)->geometry().bottom(), client->height() - 1);
    auto* collectIds = Find(u"选择框_采集ID"_s);
    EXPECT_EQ(client->childAt(collectIds->geometry().center()), collectIds);
}

TEST_F(MainWindowTest, OptionPanelStartsWithItsValuesAndFonts) {
    const RunOptions options = window.ReadRunOptions();
    EXPECT_TRUE(options.collectUserIds);
    EXPECT_FALSE(options.collectAllPages);
    EXPECT_FALSE(options.saveAsCollected);
    EXPECT_EQ(options.pageLimit, u"10");
    EXPECT_EQ(options.separator, u"---");

    EXPECT_EQ(Find<QCheckBox>(u"选择框_采集ID"_s)->text(), u"采集用户ID");
    EXPECT_EQ(Find<QCheckBox>(u"选择框_采集全部"_s)->text(), u"采集所有页");
    EXPECT_EQ(Find<QCheckBox>(u"选择框_实时保存"_s)->text(), u"实时保存");
    EXPECT_EQ(Find<TextLabel>(u"标签3"_s)->Text(), u"采集页数：");
    EXPECT_EQ(Find<TextLabel>(u"标签2"_s)->Text(), u"分隔符：");
    EXPECT_EQ(Find<TextLabel>(u"标签1"_s)->Text(), u"1");
    EXPECT_EQ(Find<QGroupBox>(u"分组框1"_s)->title(), u"贴吧名(可将TXT文本拖进来，一行一个贴吧名)");
    EXPECT_EQ(Find<QGroupBox>(u"分组框2"_s)->title(), u"采集结果");
    EXPECT_EQ(Find<QGroupBox>(u"分组框3"_s)->title(), u"公告区");
    EXPECT_EQ(window.透明标签_公告()->Text(), QString());
    EXPECT_EQ(Find<QLineEdit>(u"编辑框_分隔符"_s)->alignment(), Qt::AlignCenter);

    const QFont option = Find(u"标签3"_s)->font();
    EXPECT_EQ(option.pixelSize(), 12);
    EXPECT_EQ(option.weight(), QFont::Normal);
    const QFont banner = window.透明标签_公告()->font();
    EXPECT_EQ(banner.pixelSize(), 19);
    EXPECT_EQ(banner.weight(), QFont::Bold);
    EXPECT_EQ(window.透明标签_公告()->palette().color(QPalette::WindowText), QColor(0, 136, 255));
    EXPECT_EQ(window.透明标签_公告()->cursor().shape(), Qt::PointingHandCursor);
    // Held by a group box in the option font, yet in the system's own font.
    EXPECT_EQ(Find(u"标签1"_s)->font(), QApplication::font());
    EXPECT_EQ(Find(u"编辑框_分隔符"_s)->font(), QApplication::font());

    RunOptions fromWorker;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        fromWorker = window.ReadRunOptions();
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(fromWorker.separator, u"---");
}

TEST_F(MainWindowTest, PageLimitBoxTakesTypedDigitsAndMinusOnly) {
    auto* pages = Find<QLineEdit>(u"编辑框_采集页数"_s);
    pages->setCursorPosition(2);
    QTest::keyClicks(pages, u"a5 .-"_s);
    EXPECT_EQ(pages->text(), u"105-");
    auto* separator = Find<QLineEdit>(u"编辑框_分隔符"_s);
    separator->setCursorPosition(3);
    QTest::keyClicks(separator, u"a b."_s);
    EXPECT_EQ(separator->text(), u"---a b.");
}

TEST_F(MainWindowTest, TabVisitsTheControlsInReverseTemplateOrder) {
    Activate();
    EXPECT_EQ(QApplication::focusWidget(), window.超级列表框1());
    const QStringList order = {u"超级列表框_用户名"_s, u"选择框_采集全部"_s, u"选择框_采集ID"_s,
                               u"选择框_实时保存"_s,   u"编辑框_采集页数"_s, u"编辑框_分隔符"_s,
                               u"超级列表框1"_s};
    for (const QString& next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget()->objectName(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), u"编辑框_分隔符");
}

TEST_F(MainWindowTest, EscAsksTheCloseQueryLikeTheCloseButton) {
    Activate();
    window.超级列表框1()->InsertRow(-1, u"贴吧"_s);
    actions->mayClose = false;
    for (const QString& name : {u"编辑框_分隔符"_s, u"超级列表框1"_s}) {
        Find(name)->setFocus();
        QTest::keyClick(Find(name), Qt::Key_Escape);
    }
    EXPECT_EQ(actions->closeQueries, 2);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.超级列表框1()->RowCount(), 1);

    actions->mayClose = true;
    window.时钟_公告()->SetInterval(1000);
    QTest::keyClick(Find(u"编辑框_采集页数"_s), Qt::Key_Escape);
    EXPECT_EQ(actions->closeQueries, 3);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.时钟_公告()->Interval(), 0);
}

TEST_F(MainWindowTest, ToolbarButtonsReachTheirCommands) {
    const QList<QToolButton*> buttons = window.工具条1()->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 7);
    for (QToolButton* button : buttons) {
        EXPECT_TRUE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    EXPECT_EQ(actions->calls, (QStringList{u"ImportForumNames"_s, u"StartCollection"_s,
                                           u"StopCollection"_s, u"ExportNicknames"_s,
                                           u"ExportUserIds"_s, u"ExportAll"_s, u"ClearResults"_s}));
    EXPECT_EQ(window.工具条1()->GetButtonCaption(4), u"停止");
    EXPECT_EQ(window.工具条1()->GetButtonCaption(12), u"清空");
    for (int position : {-2, 1, 13, 14}) {
        window.OnToolbarButtonClicked(position);
    }
    EXPECT_EQ(actions->calls.size(), 7);
}

TEST_F(MainWindowTest, FilesDroppedOnTheForumListReachTheActions) {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(u"/tmp/a.txt"_s), QUrl::fromLocalFile(u"/tmp/b.txt"_s)});
    testing::DragAndDrop(window.超级列表框1()->viewport(), &files);
    EXPECT_EQ(actions->dropped, QStringList{u"/tmp/a.txt\r\n/tmp/b.txt\r\n"_s});
    EXPECT_FALSE(window.拖放对象1()->RegisterDropArea(window.超级列表框_用户名()));
}

TEST_F(MainWindowTest, BannerPressesAndTimerTicksReachTheActions) {
    QTest::mouseClick(window.透明标签_公告(), Qt::LeftButton, Qt::ShiftModifier, {3, 4});
    EXPECT_EQ(actions->bannerPresses, (QList<QList<int>>{{3, 4, 2}}));

    for (IntervalTimer* timer : {window.时钟_标题(), window.时钟_公告()}) {
        EXPECT_EQ(timer->Interval(), 0);
        EXPECT_EQ(timer->RemainingTime(), -1);
    }
    window.setWindowTitle(u"changed"_s);
    window.时钟_标题()->SetInterval(5);
    window.时钟_公告()->SetInterval(5);
    EXPECT_TRUE(PumpUntil([&] { return actions->noticeTicks > 0; }));
    EXPECT_TRUE(window.windowTitle().startsWith(u"Zelvor贴吧用户采集器【免费版】"_s));
}

TEST_F(MainWindowTest, MenuItemsOpenTheSiteAndTheHelp) {
    QList<QUrl> opened;
    bool opens = true;
    window.SetUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return opens;
    });
    const QList<QAction*> menus = window.findChild<QMenuBar*>()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), u"访问官网");
    EXPECT_EQ(menus[1]->text(), u"使用帮助");
    ASSERT_EQ(menus[0]->menu()->actions().size(), 1);
    QAction* site = menus[0]->menu()->actions().front();
    QAction* help = menus[1]->menu()->actions().front();
    EXPECT_EQ(site->text(), u"官网");
    EXPECT_EQ(help->text(), u"查看帮助");
    EXPECT_TRUE(site->shortcut().isEmpty());

    site->trigger();
    EXPECT_EQ(opened, QList<QUrl>{QUrl(u"http://www.zelvor.example"_s)});
    opens = false;
    window.Messages().SetNextAnswer(true);
    site->trigger();
    EXPECT_EQ(window.Messages().LastText(),
              u"无法打开浏览器，请手动访问：http://www.zelvor.example"_s);

    window.Messages().SetNextAnswer(true);
    help->trigger();
    EXPECT_EQ(window.Messages().LastTitle(), u"使用帮助");
    EXPECT_TRUE(window.Messages().LastText().contains(u"导入贴吧名"_s));
}

TEST(MainWindowStartTest, CreationWorkPrecedesTheWindowAndDefaultsDoNothing) {
    QTemporaryDir dataHome;
    const QByteArray before = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    const QString launcher =
        dataHome.path() + u"/applications/Zelvor贴吧用户采集器_免费版.desktop"_s;

    MainWindow window;
    EXPECT_FALSE(QFile::exists(launcher));
    window.Open();
    qputenv("XDG_DATA_HOME", before);
    EXPECT_TRUE(QFile::exists(launcher));

    for (QToolButton* button : window.工具条1()->findChildren<QToolButton*>()) {
        QTest::mouseClick(button, Qt::LeftButton);
    }
    window.OnFilesDropped(u"/tmp/a.txt"_s);
    QTest::mouseClick(window.透明标签_公告(), Qt::LeftButton);
    window.OnNoticeTimerTick();
    EXPECT_EQ(window.Messages().LastText(), QString());
    EXPECT_EQ(window.超级列表框1()->RowCount(), 0);
    EXPECT_TRUE(window.OnMainWindowCloseQuery());
    EXPECT_TRUE(window.close());
}

class MainWindowFilesTest : public MainWindowTest {
  protected:
    MainWindowFilesTest()
        : MainWindowTest(
              {.site = u"http://tieba.example"_s, .files = {u"/tmp/a.txt"_s, u"/tmp/b.txt"_s}}) {}
};

TEST_F(MainWindowFilesTest, FilesNamedAtStartAreTakenInAsIfDropped) {
    EXPECT_TRUE(actions->dropped.isEmpty());  // not before the event loop runs
    EXPECT_TRUE(PumpUntil([&] { return !actions->dropped.isEmpty(); }));
    EXPECT_EQ(actions->dropped, QStringList{u"/tmp/a.txt\r\n/tmp/b.txt\r\n"_s});
    EXPECT_EQ(window.Options().site, u"http://tieba.example");
}

}  // namespace
}  // namespace zelvor
