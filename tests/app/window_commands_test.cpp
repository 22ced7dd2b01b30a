#include "app/window/window_commands.h"

#include "app/window/main_window.h"
#include "fake_forum.h"
#include "forum_pages.h"
#include "loopback_server.h"
#include "qt_test_support.h"
#include "text/gbk.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace zelvor {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using fake_forum::FakeForum;
using fake_forum::FakeForumConfig;
using fake_forum::FakeMember;
using testing::PumpUntil;

constexpr uint32_t kSeed = 7;

std::string ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// The lines of a GBK file, as UTF-8, each checked to end in CR LF.
std::vector<std::string> GbkLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = bytes.find("\r\n"); end != std::string::npos;
         end = bytes.find("\r\n", start)) {
        lines.push_back(GbkToUtf8(bytes.substr(start, end - start)));
        start = end + 2;
    }
    EXPECT_EQ(start, bytes.size()) << "a line without CR LF at the end";
    return lines;
}

class WindowCommandsTest : public ::testing::Test {
  protected:
    // 甲吧 has three pages of members, 乙吧 two.
    static FakeForumConfig ForumConfig() {
        return {.forums = {{"甲吧", 60}, {"乙吧", 30}, {"空吧", 0}}, .seed = kSeed};
    }

    explicit WindowCommandsTest(FakeForumConfig config = ForumConfig()) : forum(std::move(config)) {
        forum.Start();
    }

    CommandSettings Settings() const {
        CommandSettings settings;
        settings.collect.site.root = forum.Url();
        settings.collect.site.timeouts.receive = 5s;
        settings.collect.pauseMin = settings.collect.pauseMax = 0ms;
        settings.collect.retryBackoff = 1ms;
        settings.noticeUrl = NoticeUrl(forum.Url());
        settings.saveFolder = folder.filePath(u"实时保存"_s);
        return settings;
    }

    void Open(const CommandSettings& settings) {
        window.SetUrlOpener([this](const QUrl& url) {
            opened.append(url);
            return true;
        });
        auto owned = std::make_unique<WindowCommands>(window, settings);
        commands = owned.get();
        window.SetActions(std::move(owned));
        window.Open();
    }

    void SetUp() override { Open(Settings()); }

    // A GBK file holding text.
    QString ForumFile(const std::string& utf8Text) {
        const QString path = folder.filePath(u"贴吧名%1.txt"_s.arg(++files));
        WriteBytes(path, Utf8ToGbk(utf8Text));
        return path;
    }

    // Imports a forum file through the file dialog.
    void Import(const std::string& utf8Text) {
        window.通用对话框1()->SetNextFileName(ForumFile(utf8Text));
        commands->ImportForumNames();
        WaitForImport(commands);
    }

    static void WaitForImport(const WindowCommands* run) {
        ASSERT_TRUE(PumpUntil([&] { return !run->Importing(); }));
    }

    QStringList Column(ReportListView* list, int column) const {
        QStringList cells;
        for (int row = 0; row < list->RowCount(); ++row) {
            cells.append(list->GetCellText(row, column));
        }
        return cells;
    }
    QStringList ForumStates() const { return Column(window.超级列表框1(), 1); }
    QString Status() const { return window.状态条1()->PanelText(0); }
    void Check(const QString& box, bool on) const {
        window.findChild<QCheckBox*>(box)->setChecked(on);
    }
    void Type(const QString& edit, const QString& text) const {
        window.findChild<QLineEdit*>(edit)->setText(text);
    }

    bool RunEnds(int timeoutMs = 20000) {
        return PumpUntil([&] { return !commands->Running(); }, timeoutMs);
    }

    // Exports through the file dialog; the file's bytes.
    std::string Export(void (WindowCommands::*command)(), const QString& name) {
        const QString path = folder.filePath(name);
        window.通用对话框1()->SetNextFileName(path);
        (commands->*command)();
        return ReadBytes(path);
    }

    static std::vector<FakeMember> Members(const std::string& forum, int count) {
        return fake_forum::MakeMembers(forum, count, kSeed);
    }

    FakeForum forum;
    QTemporaryDir folder;
    int files = 0;
    MainWindow window;
    WindowCommands* commands = nullptr;
    QList<QUrl> opened;
};

TEST_F(WindowCommandsTest, ImportQueuesEachNameOnceAndRefusesBadFiles) {
    Import(" 甲吧 \r\n\r\n乙吧\r\n甲吧\r\n");
    EXPECT_EQ(Column(window.超级列表框1(), 0), (QStringList{u"甲吧"_s, u"乙吧"_s}));
    EXPECT_EQ(ForumStates(), (QStringList{u"未开始"_s, u"未开始"_s}));
    EXPECT_EQ(Status(), u"导入2个贴吧名，跳过1个重复的");

    const QString binary = folder.filePath(u"图片.txt"_s);
    WriteBytes(binary, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const QString utf8 = folder.filePath(u"utf8.txt"_s);
    WriteBytes(utf8, "\xEF\xBB\xBF乙吧\n丙吧\n");
    commands->AddDroppedForumFiles(folder.filePath(u"没有.txt"_s) + u"\r\n"_s + binary + u"\r\n"_s +
                                   utf8 + u"\r\n"_s);
    WaitForImport(commands);
    EXPECT_EQ(Column(window.超级列表框1(), 0), (QStringList{u"甲吧"_s, u"乙吧"_s, u"丙吧"_s}));
    EXPECT_EQ(window.Messages().LastTitle(), u"导入失败");
    EXPECT_TRUE(window.Messages().LastText().contains(u"没有.txt"_s));
    EXPECT_TRUE(window.Messages().LastText().contains(u"图片.txt"_s));
    EXPECT_EQ(Status(), u"导入1个贴吧名，跳过1个重复的");

    window.通用对话框1()->SetNextFileName({});  // cancelled
    commands->ImportForumNames();
    EXPECT_EQ(window.超级列表框1()->RowCount(), 3);
}

TEST_F(WindowCommandsTest, AHugeFileIsReadWhileTheWindowGoesOn) {
    std::string names;
    for (int i = 0; i < 200'000; ++i) {
        names += "吧" + std::to_string(i) + "\r\n";
    }
    const QString file = ForumFile(names);
    commands->AddDroppedForumFiles(file);
    commands->AddDroppedForumFiles(file);  // waits for the first, then adds nothing
    EXPECT_TRUE(commands->Importing());
    EXPECT_EQ(Status(), u"正在读取贴吧名文件……");
    commands->StartCollection();
    EXPECT_EQ(window.Messages().LastText(), u"正在导入贴吧名，请稍候");
    WaitForImport(commands);
    EXPECT_EQ(window.超级列表框1()->RowCount(), 200'000);
    EXPECT_EQ(Status(), u"导入0个贴吧名，跳过200000个重复的");
    EXPECT_EQ(window.超级列表框1()->GetCellText(199'999, 0), u"吧199999");
}

TEST_F(WindowCommandsTest, StartRefusesAnEmptyQueueAndABadPageLimit) {
    commands->StartCollection();
    EXPECT_TRUE(window.Messages().LastText().contains(u"请先导入贴吧名"_s));
    Import("甲吧\r\n");
    Type(u"编辑框_采集页数"_s, u"0"_s);
    commands->StartCollection();
    EXPECT_EQ(window.Messages().LastText(), u"采集页数必须是大于0的整数，请重新填写。");
    EXPECT_FALSE(commands->Running());
    EXPECT_EQ(ForumStates(), QStringList{u"未开始"_s});
    EXPECT_EQ(forum.counters().memberPages, 0);
}

TEST_F(WindowCommandsTest, RunCollectsEveryForumSavesAndExports) {
    Import("甲吧\r\n空吧\r\n乙吧\r\n");
    Check(u"选择框_实时保存"_s, true);
    Type(u"编辑框_分隔符"_s, u"|"_s);
    commands->StartCollection();
    EXPECT_EQ(Status(), u"实时保存到："_s + folder.filePath(u"实时保存"_s));
    EXPECT_EQ(ForumStates(), (QStringList{u"等待采集"_s, u"等待采集"_s, u"等待采集"_s}));
    commands->ClearResults();
    EXPECT_EQ(window.Messages().LastText(), u"正在采集中");
    ASSERT_TRUE(PumpUntil([&] { return window.Messages().LastText() == u"采集完成！"; }, 20000));
    EXPECT_EQ(window.Messages().LastTitle(), u"提示");
    EXPECT_FALSE(commands->Running());
    EXPECT_EQ(ForumStates(), (QStringList{u"完成"_s, u"完成"_s, u"完成"_s}));
    EXPECT_EQ(Status(), u"采集完成！共采集90人");

    std::vector<FakeMember> members = Members("甲吧", 60);
    for (FakeMember& m : Members("乙吧", 30)) {
        members.push_back(std::move(m));
    }
    ReportListView* list = window.超级列表框_用户名();
    ASSERT_EQ(list->RowCount(), 90);
    std::string nicknames;
    std::string ids;
    std::string all;
    for (int row = 0; row < 90; ++row) {
        const FakeMember& m = members[static_cast<size_t>(row)];
        EXPECT_EQ(list->GetCellText(row, 0), QString::number(row + 1));
        EXPECT_EQ(list->GetCellText(row, 2).toStdString(), m.userId);
        EXPECT_EQ(list->GetCellText(row, 3).toStdString(), fake_forum::HomeLink(m));
        nicknames += Utf8ToGbk(m.nickname) + "\r\n";
        ids += Utf8ToGbk(m.userId) + "\r\n";
        all += Utf8ToGbk(m.nickname + "|" + m.userId) + "\r\n";
    }
    EXPECT_EQ(Export(&WindowCommands::ExportNicknames, u"呢称.txt"_s), nicknames);
    EXPECT_EQ(Export(&WindowCommands::ExportUserIds, u"ID.txt"_s), ids);
    EXPECT_EQ(Export(&WindowCommands::ExportAll, u"全部.txt"_s), all);
    EXPECT_EQ(Status(), u"已导出90行到 "_s + folder.filePath(u"全部.txt"_s));

    // The real-time files hold the same; IDs in the order their lookups ended.
    const QString saved = folder.filePath(u"实时保存/"_s);
    EXPECT_EQ(ReadBytes(saved + u"用户呢称.txt"_s), nicknames);
    std::vector<std::string> savedIds = GbkLines(ReadBytes(saved + u"用户ID.txt"_s));
    std::vector<std::string> listedIds = GbkLines(ids);
    std::ranges::sort(savedIds);
    std::ranges::sort(listedIds);
    EXPECT_EQ(savedIds, listedIds);

    window.通用对话框1()->SetNextFileName({});  // a cancelled dialog writes nothing
    commands->ExportAll();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 4);

    commands->StartCollection();
    EXPECT_TRUE(window.Messages().LastText().contains(u"都已采集完成"_s));
    window.Messages().SetNextAnswer(true);
    commands->ClearResults();
    EXPECT_EQ(list->RowCount(), 0);
    EXPECT_EQ(window.超级列表框1()->RowCount(), 0);
    commands->ExportNicknames();
    EXPECT_TRUE(window.Messages().LastText().contains(u"还没有用户"_s));
}

TEST_F(WindowCommandsTest, ExportFailureIsShownAndLosesNothing) {
    Import("乙吧\r\n");
    Check(u"选择框_采集ID"_s, false);
    commands->StartCollection();
    ASSERT_TRUE(RunEnds());
    commands->ExportUserIds();  // no ID was collected
    EXPECT_TRUE(window.Messages().LastText().contains(u"还没有用户ID"_s));

    const std::string before = Export(&WindowCommands::ExportNicknames, u"呢称.txt"_s);
    ASSERT_FALSE(before.empty());
    window.通用对话框1()->SetNextFileName(folder.filePath(u"没有的文件夹/呢称.txt"_s));
    commands->ExportNicknames();
    EXPECT_EQ(window.Messages().LastTitle(), u"导出失败");
    EXPECT_EQ(window.超级列表框_用户名()->RowCount(), 30);
    EXPECT_EQ(ReadBytes(folder.filePath(u"呢称.txt"_s)), before);
}

class SlowForumTest : public WindowCommandsTest {
  protected:
    SlowForumTest()
        : WindowCommandsTest(
              {.forums = {{"甲吧", 240}, {"乙吧", 30}}, .seed = kSeed, .latency = 40ms}) {}

    void SetUp() override {
        CommandSettings settings = Settings();
        settings.collect.concurrency = 1;
        Open(settings);
        Import("甲吧\r\n乙吧\r\n");
        Check(u"选择框_实时保存"_s, true);
        Check(u"选择框_采集ID"_s, false);
    }

    // Starts a run and waits until part of the first forum is listed.
    void StartAndWaitForSomeMembers() {
        commands->StartCollection();
        ASSERT_TRUE(PumpUntil([&] { return window.超级列表框_用户名()->RowCount() >= 48; }));
        ASSERT_TRUE(commands->Running());
    }

    std::vector<std::string> SavedNicknames() {
        return GbkLines(ReadBytes(folder.filePath(u"实时保存/用户呢称.txt"_s)));
    }
};

TEST_F(SlowForumTest, StopLeavesTheForumToResumeWithoutListingMembersTwice) {
    StartAndWaitForSomeMembers();
    EXPECT_TRUE(Status().startsWith(u"贴吧1/2 第"_s)) << Status().toStdString();
    EXPECT_TRUE(window.windowTitle().contains(u"实时保存到 "_s + folder.filePath(u"实时保存"_s)));
    commands->StartCollection();
    EXPECT_EQ(window.Messages().LastText(), u"正在采集中");
    commands->StopCollection();
    ASSERT_TRUE(RunEnds(3000));
    EXPECT_EQ(Status(), u"已停止采集");
    EXPECT_FALSE(window.windowTitle().contains(u"正在采集"_s));
    EXPECT_EQ(ForumStates(), (QStringList{u"未开始"_s, u"未开始"_s}));
    const int stoppedAt = window.超级列表框_用户名()->RowCount();
    EXPECT_LT(stoppedAt, 240);
    EXPECT_EQ(SavedNicknames().size(), static_cast<size_t>(stoppedAt));

    commands->StartCollection();
    ASSERT_TRUE(RunEnds());
    EXPECT_EQ(window.Messages().LastText(), u"采集完成！");
    EXPECT_EQ(ForumStates(), (QStringList{u"完成"_s, u"完成"_s}));
    ReportListView* list = window.超级列表框_用户名();
    ASSERT_EQ(list->RowCount(), 270);
    std::set<QString> links;
    for (int row = 0; row < 270; ++row) {
        EXPECT_EQ(list->GetCellText(row, 0), QString::number(row + 1));
        links.insert(list->GetCellText(row, 3));
    }
    EXPECT_EQ(links.size(), 270u);
    EXPECT_EQ(SavedNicknames().size(), 270u);
}

TEST_F(SlowForumTest, ClosingDuringARunAsksThenStopsWithFilesComplete) {
    StartAndWaitForSomeMembers();
    window.Messages().SetNextAnswer(false);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(commands->Running());
    EXPECT_EQ(window.Messages().LastText(), u"正在采集中，确定停止采集并退出吗？");

    window.Messages().SetNextAnswer(true);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(commands->Running());
    const int listed = window.超级列表框_用户名()->RowCount();
    EXPECT_EQ(SavedNicknames().size(), static_cast<size_t>(listed));
}

TEST_F(SlowForumTest, ClosingAtOtherMomentsLeavesFilesMatchingTheList) {
    const QString forums = ForumFile("甲吧\r\n乙吧\r\n");
    struct Moment {
        const char* name;
        std::function<bool(const MainWindow&)> reached;
    };
    const Moment moments[] = {
        {"before anything arrived", [](const MainWindow&) { return true; }},
        {"while IDs are looked up",
         [](const MainWindow& w) { return !w.超级列表框_用户名()->GetCellText(0, 2).isEmpty(); }},
        {"after the first forum",
         [](const MainWindow& w) { return w.超级列表框1()->GetCellText(0, 1) == u"完成"; }},
    };
    for (const Moment& moment : moments) {
        QTemporaryDir saved;
        CommandSettings settings = Settings();
        settings.saveFolder = saved.path();
        settings.collect.concurrency = 8;
        MainWindow other;
        auto owned = std::make_unique<WindowCommands>(other, settings);
        WindowCommands* run = owned.get();
        other.SetActions(std::move(owned));
        other.Open();
        other.findChild<QCheckBox*>(u"选择框_实时保存"_s)->setChecked(true);
        run->AddDroppedForumFiles(forums);
        WaitForImport(run);
        run->StartCollection();
        ASSERT_TRUE(PumpUntil([&] { return moment.reached(other); }, 10000)) << moment.name;
        other.Messages().SetNextAnswer(true);
        EXPECT_TRUE(other.close()) << moment.name;
        EXPECT_FALSE(run->Running()) << moment.name;

        ReportListView* list = other.超级列表框_用户名();
        size_t ids = 0;
        for (int row = 0; row < list->RowCount(); ++row) {
            ids += list->GetCellText(row, 2).isEmpty() ? 0 : 1;
        }
        const QString files = saved.path() + u'/';
        EXPECT_EQ(GbkLines(ReadBytes(files + u"用户呢称.txt"_s)).size(),
                  static_cast<size_t>(list->RowCount()))
            << moment.name;
        EXPECT_EQ(GbkLines(ReadBytes(files + u"用户ID.txt"_s)).size(), ids) << moment.name;
        for (int row = 0; row < 2; ++row) {
            const QString state = other.超级列表框1()->GetCellText(row, 1);
            EXPECT_TRUE(state == u"完成" || state == u"未开始") << moment.name;
        }
    }
}

TEST_F(WindowCommandsTest, BannerShowsTheMakersNoticeAndOpensItsLink) {
    EXPECT_TRUE(Status().contains(
        QRegularExpression(u"^登录时间： \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"_s)))
        << Status().toStdString();
    ASSERT_TRUE(PumpUntil([&] { return Status() == u"初始化完成！"; }));
    EXPECT_EQ(commands->Banner().Current().text, "欢迎使用Zelvor贴吧用户采集器");
    EXPECT_EQ(window.透明标签_公告()->Text(), u"欢迎使用Zelvor贴吧用户采集器");
    window.OnNoticeBannerPressed(3, 3, 0);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(u"http://www.zelvor.example/"_s)});
}

class NoticeTest : public WindowCommandsTest {
  protected:
    NoticeTest()
        : WindowCommandsTest({.notice = "@1<b>新版本</b>已发布 &amp; 免费😀，" +
                                        std::string(100, 'x') + "#1javascript:alert(1)@1"}) {}
    void SetUp() override {}
};

TEST_F(NoticeTest, ALongNoticeScrollsAsPlainTextAndAnUnsafeLinkIsNotOpened) {
    Open(Settings());
    ASSERT_TRUE(PumpUntil([&] { return Status() == u"初始化完成！"; }));
    const QString notice = QString::fromStdString(commands->Banner().Current().text);
    EXPECT_TRUE(notice.startsWith(u"<b>新版本</b>已发布 &amp; 免费😀"_s));
    EXPECT_TRUE(
        window.透明标签_公告()->Text().startsWith(QString(notice).replace(u"&"_s, u"&&"_s)));
    EXPECT_GT(window.时钟_公告()->Interval(), 0);
    // Whole code points scroll away one per tick; the emoji goes in one step.
    const qsizetype emoji = notice.indexOf(u"😀"_s);
    for (qsizetype i = 0; i < emoji; ++i) {
        window.OnNoticeTimerTick();
    }
    EXPECT_TRUE(window.透明标签_公告()->Text().startsWith(u"😀，"_s));
    window.OnNoticeTimerTick();
    EXPECT_TRUE(window.透明标签_公告()->Text().startsWith(u"，x"_s));
    window.OnNoticeBannerPressed(3, 3, 0);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(NoticeTest, WithoutANoticeOurOwnStays) {
    CommandSettings settings = Settings();
    settings.noticeUrl = "http://127.0.0.1:" + std::to_string(testing_support::UnusedPort()) +
                         std::string(kNoticePath);
    Open(settings);
    ASSERT_TRUE(PumpUntil([&] { return Status() == u"初始化完成！"; }));
    EXPECT_EQ(commands->Banner().Current().text, BuiltInNotice().text);
    EXPECT_EQ(window.透明标签_公告()->Text().toStdString(), BuiltInNotice().text);
}

}  // namespace
}  // namespace zelvor
