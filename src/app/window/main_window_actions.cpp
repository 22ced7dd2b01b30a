#include "app/window/main_window_actions.h"

#include "app/window/main_window.h"

namespace zelvor {

void MainWindowActions::ImportForumNames() {
    ShowUnfinished();
}
void MainWindowActions::StartCollection() {
    ShowUnfinished();
}
void MainWindowActions::StopCollection() {
    ShowUnfinished();
}
void MainWindowActions::ExportNicknames() {
    ShowUnfinished();
}
void MainWindowActions::ExportUserIds() {
    ShowUnfinished();
}
void MainWindowActions::ExportAll() {
    ShowUnfinished();
}
void MainWindowActions::ClearResults() {
    ShowUnfinished();
}
void MainWindowActions::AddDroppedForumFiles(const QString&) {
    ShowUnfinished();
}
void MainWindowActions::NoticeTimerTick() {
    ShowUnfinished();
}

std::optional<bool> MainWindowActions::NoticeBannerPressed(int, int, int) {
    ShowUnfinished();
    return std::nullopt;
}

bool MainWindowActions::MayClose() {
    return true;
}

void MainWindowActions::ShowUnfinished() {
    window_.Messages().Inform(QStringLiteral("此功能尚未完成"), QStringLiteral("提示"));
}

}  // namespace zelvor
