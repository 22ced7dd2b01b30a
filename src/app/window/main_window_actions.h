#pragma once

#include <QString>

#include <optional>

namespace zelvor {

class MainWindow;

// What the window's events do. Each command here only tells the user that it is not finished
// yet; a subclass overrides the commands it carries out and is handed to
// MainWindow::SetActions. Every call comes on the window's thread.
class MainWindowActions {
  public:
    explicit MainWindowActions(MainWindow& window) : window_(window) {}
    virtual ~MainWindowActions() = default;
    MainWindowActions(const MainWindowActions&) = delete;
    MainWindowActions& operator=(const MainWindowActions&) = delete;

    // The seven toolbar buttons, left to right.
    virtual void ImportForumNames();
    virtual void StartCollection();
    virtual void StopCollection();
    virtual void ExportNicknames();
    virtual void ExportUserIds();
    virtual void ExportAll();
    virtual void ClearResults();

    // paths: one path alone, or several each followed by "\r\n".
    virtual void AddDroppedForumFiles(const QString& paths);

    // The notice banner: a tick of 时钟_公告, and a left-button press on 透明标签_公告 (answer
    // false to keep the press from the banner).
    virtual void NoticeTimerTick();
    virtual std::optional<bool> NoticeBannerPressed(int x, int y, int modifiers);

    // Asked before the window closes and before the desktop session ends; false keeps both
    // from happening. True while no run is in progress.
    virtual bool MayClose();

  protected:
    MainWindow& Window() const { return window_; }

  private:
    void ShowUnfinished();

    MainWindow& window_;
};

}  // namespace zelvor
