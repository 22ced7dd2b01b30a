#pragma once

#include <QString>

#include <optional>

namespace zelvor {

class MainWindow;

// What the window's events do. Here they do nothing; a subclass overrides what it carries out
// and is handed to MainWindow::SetActions. Every call comes on the window's thread.
class MainWindowActions {
  public:
    explicit MainWindowActions(MainWindow& window) : window_(window) {}
    virtual ~MainWindowActions() = default;
    MainWindowActions(const MainWindowActions&) = delete;
    MainWindowActions& operator=(const MainWindowActions&) = delete;

    // The window's start-up work, before it is first shown.
    virtual void Created() {}

    // The seven toolbar buttons, left to right.
    virtual void ImportForumNames() {}
    virtual void StartCollection() {}
    virtual void StopCollection() {}
    virtual void ExportNicknames() {}
    virtual void ExportUserIds() {}
    virtual void ExportAll() {}
    virtual void ClearResults() {}

    // paths: one path alone, or several each followed by "\r\n".
    virtual void AddDroppedForumFiles(const QString& /*paths*/) {}

    // The notice banner: a tick of 时钟_公告, and a left-button press on 透明标签_公告 (answer
    // false to keep the press from the banner).
    virtual void NoticeTimerTick() {}
    virtual std::optional<bool> NoticeBannerPressed(int /*x*/, int /*y*/, int /*modifiers*/) {
        return std::nullopt;
    }

    // Shown after the caption at each tick of 时钟_标题; empty for the caption alone.
    virtual QString CaptionNote() const { return {}; }

    // Asked before the window closes and before the desktop session ends; false keeps both
    // from happening.
    virtual bool MayClose() { return true; }

  protected:
    MainWindow& Window() const { return window_; }

  private:
    MainWindow& window_;
};

}  // namespace zelvor
