// The event table: which handler each event of the window's units reaches, and the handlers.

#include "app/window/launcher.h"
#include "app/window/main_window.h"
#include "app/window/maker.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStandardPaths>

#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

#include <array>

namespace zelvor {
namespace {

const QString kHelp = QStringLiteral(
    "1. 点击“导入贴吧名”选择TXT文本，或把TXT文本拖到左边的贴吧名列表里，一行一个贴吧名。\n"
    "2. 设置采集页数，或勾选“采集所有页”采集每个贴吧的全部页。\n"
    "3. 勾选“采集用户ID”会同时读取每个用户的ID；勾选“实时保存”会边采集边写入"
    "“用户呢称.txt”和“用户ID.txt”。\n"
    "4. 点击“开始采集”，随时可以点击“停止”。\n"
    "5. 采集完成后用“导出呢称”、“导出ID”或“导出全部”保存结果，“导出全部”用分隔符连接呢称和ID；"
    "“清空”删除全部结果。");

}  // namespace

void MainWindow::BindEventTable() {
    // MainWindow created: Open(). MainWindow close query: closeEvent() and the end of the
    // desktop session below.
#if QT_CONFIG(sessionmanager)
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& session) {
        if (!OnMainWindowCloseQuery()) {
            session.cancel();
        }
    });
#endif
    connect(时钟_标题(), &IntervalTimer::Tick, this, &MainWindow::OnTitleTimerTick);
    connect(时钟_公告(), &IntervalTimer::Tick, this, &MainWindow::OnNoticeTimerTick);
    透明标签_公告()->SetPressHandler(
        [this](int x, int y, int modifiers) { return OnNoticeBannerPressed(x, y, modifiers); });
    connect(拖放对象1(), &FileDropTarget::FilesDropped, this, &MainWindow::OnFilesDropped);
    connect(工具条1(), &ToolBar::ButtonClicked, this, &MainWindow::OnToolbarButtonClicked);
    connect(Unit<QAction>(u"官网"), &QAction::triggered, this, &MainWindow::OnWebsiteMenuItem);
    connect(Unit<QAction>(u"查看帮助"), &QAction::triggered, this, &MainWindow::OnHelpMenuItem);
}

void MainWindow::OnMainWindowCreated() {
    拖放对象1()->RegisterDropArea(超级列表框1());
    EnsureLauncher(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                   QCoreApplication::applicationFilePath());
    actions_->Created();
}

bool MainWindow::OnMainWindowCloseQuery() {
    return actions_->MayClose();
}

void MainWindow::OnTitleTimerTick() {
    // Puts the full caption back, whatever replaced it meanwhile.
    const QString note = actions_->CaptionNote();
    setWindowTitle(note.isEmpty() ? WindowCaption()
                                  : WindowCaption() + QStringLiteral("  ") + note);
}

void MainWindow::OnNoticeTimerTick() {
    actions_->NoticeTimerTick();
}

std::optional<bool> MainWindow::OnNoticeBannerPressed(int x, int y, int modifiers) {
    return actions_->NoticeBannerPressed(x, y, modifiers);
}

void MainWindow::OnFilesDropped(const QString& paths) {
    actions_->AddDroppedForumFiles(paths);
}

void MainWindow::OnToolbarButtonClicked(int position) {
    // Buttons sit at the even positions; a separator follows each.
    static constexpr std::array<void (MainWindowActions::*)(), 7> kCommands = {
        &MainWindowActions::ImportForumNames, &MainWindowActions::StartCollection,
        &MainWindowActions::StopCollection,   &MainWindowActions::ExportNicknames,
        &MainWindowActions::ExportUserIds,    &MainWindowActions::ExportAll,
        &MainWindowActions::ClearResults,
    };
    if (position < 0 || position % 2 != 0 || position / 2 >= static_cast<int>(kCommands.size())) {
        return;
    }
    (actions_.get()->*kCommands[static_cast<size_t>(position / 2)])();
}

void MainWindow::OnWebsiteMenuItem() {
    OpenWebAddress(QUrl(MakerSite()));
}

void MainWindow::OpenWebAddress(const QUrl& address) {
    if (!openUrl_(address)) {
        messages_.Inform(QStringLiteral("无法打开浏览器，请手动访问：") + address.toString(),
                         QStringLiteral("提示"));
    }
}

void MainWindow::OnHelpMenuItem() {
    messages_.Inform(kHelp, QStringLiteral("使用帮助"));
}

}  // namespace zelvor
