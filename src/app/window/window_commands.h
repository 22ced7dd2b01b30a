#pragma once

#include "app/window/main_window_actions.h"
#include "app/window/notice_banner.h"
#include "app/window/start_options.h"
#include "collect/collector.h"
#include "collect/member_files.h"
#include "ui/file_dialog.h"
#include "web/http_request.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zelvor {

struct CommandSettings {
    // The site, pauses, time-outs and retries of every run; the option panel decides the rest
    // at each start.
    CollectOptions collect;
    std::string noticeUrl;  // empty: no notice is read
    HttpTimeouts noticeTimeouts;
    QString saveFolder;  // where real-time files go
};

// The settings the program starts with, after its start-up options.
CommandSettings DefaultCommandSettings(const StartOptions& options);

// What the window's commands do: the forum queue, the collection run on threads of its own,
// saving and export, and the notice banner. The run reaches the window only through events
// posted to the window's thread, so the window never waits for it and it never waits for the
// window.
class WindowCommands : public MainWindowActions {
  public:
    WindowCommands(MainWindow& window, CommandSettings settings);
    ~WindowCommands() override;  // stops a run in progress and waits for it

    void Created() override;
    void ImportForumNames() override;
    void StartCollection() override;
    void StopCollection() override;
    void ExportNicknames() override;
    void ExportUserIds() override;
    void ExportAll() override;
    void ClearResults() override;
    void AddDroppedForumFiles(const QString& paths) override;
    void NoticeTimerTick() override;
    std::optional<bool> NoticeBannerPressed(int x, int y, int modifiers) override;
    QString CaptionNote() const override;
    bool MayClose() override;

    bool Running() const { return collector_ != nullptr; }
    bool Importing() const { return importer_.joinable(); }
    const NoticeBanner& Banner() const { return banner_; }

  private:
    class RunEvents;
    struct ImportedNames;

    // The chosen path, or empty when the user cancelled.
    QString AskForTextFile(FileDialog::Kind kind, const QString& title,
                           const QString& proposedName);
    // Forum-name files are read one batch at a time on a thread of their own.
    void AddForumFiles(const QStringList& files);
    void ImportPendingFiles();
    // Names in queued or met earlier are skipped. Runs on any thread.
    static ImportedNames ReadForumFiles(const QStringList& files, std::vector<std::string> queued);
    void FinishImport(ImportedNames imported);
    void Export(ExportFields fields);
    // Takes in what the run has posted, at most a few times a second.
    void Deliver();
    // Takes in what the run has posted since the last call.
    void DeliverNow();
    void EndRun(const RunResult& result);
    // Answers a command that must wait for a run or an import to end.
    bool RefuseWhileBusy();
    void SetStatus(const QString& text);

    CommandSettings settings_;
    NoticeBanner banner_;
    std::unique_ptr<RunEvents> events_;
    std::unique_ptr<Collector> collector_;
    QTimer deliveryDue_;
    QElapsedTimer sinceDelivery_;
    QStringList pendingFiles_;
    std::thread importer_;
    std::vector<int> runRows_;  // the forum list's row of each forum of the run
    CollectProgress progress_;
    QString saveFolder_;  // of the run in progress; empty when it saves nothing
    QString lastWarning_;
    bool statusTouched_ = false;  // panel 0 shows more than the start-up texts
};

}  // namespace zelvor
