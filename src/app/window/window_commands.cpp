#include "app/window/window_commands.h"

#include "app/window/main_window.h"
#include "app/window/maker.h"
#include "collect/forum_names.h"
#include "text/date_time.h"
#include "text/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <chrono>
#include <mutex>
#include <variant>

namespace zelvor {
namespace {

using namespace Qt::StringLiterals;

const QString kTitle = u"提示"_s;
const QString kBusy = u"正在采集中"_s;
const QString kTextFiles = u"文本文档(*.txt)|*.txt"_s;
// Each delivery of the run's events costs the window a repaint of the list; a few a second keep
// it live and leave the window's thread free for the user.
constexpr int kDeliveryInterval = 100;

// The forum list's columns, and the member list's.
constexpr int kForumName = 0;
constexpr int kForumState = 1;
constexpr int kNickname = 1;
constexpr int kUserId = 2;
constexpr int kHomeLink = 3;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString StateText(ForumState state) {
    return FromUtf8(ForumStateText(state));
}

}  // namespace

CommandSettings DefaultCommandSettings(const StartOptions& options) {
    CommandSettings settings;
    if (!options.site.isEmpty()) {
        settings.collect.site.root = options.site.toStdString();
        while (settings.collect.site.root.ends_with('/')) {
            settings.collect.site.root.pop_back();
        }
    }
    settings.noticeUrl = options.noticeUrl.isEmpty() ? NoticeUrl(MakerSite().toStdString())
                                                     : options.noticeUrl.toStdString();
    // A notice that is slow to come is not worth holding "初始化完成！" back for long.
    settings.noticeTimeouts = {.resolve = std::chrono::seconds(5),
                               .connect = std::chrono::seconds(5),
                               .send = std::chrono::seconds(5),
                               .receive = std::chrono::seconds(10)};
    settings.saveFolder = options.saveFolder;
    if (settings.saveFolder.isEmpty()) {
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty()) {
            documents = QDir::homePath();
        }
        settings.saveFolder = documents + u"/Zelvor采集结果"_s;
    }
    return settings;
}

// The run's calls, kept in order on the run's thread and taken in on the window's thread.
class WindowCommands::RunEvents : public QObject, public CollectorListener {
  public:
    struct StateChange {
        int forum;
        ForumState state;
    };
    struct UserIdFound {
        long long number;
        std::string userId;
    };
    struct Warning {
        std::string message;
    };
    using Event = std::variant<StateChange, std::vector<MemberRecord>, UserIdFound, CollectProgress,
                               Warning, RunResult>;

    explicit RunEvents(WindowCommands& owner) : owner_(owner) {}

    void OnForumState(int forum, ForumState state) override { Post(StateChange{forum, state}); }
    void OnRecords(const std::vector<MemberRecord>& records) override { Post(records); }
    void OnUserId(long long number, const std::string& userId) override {
        Post(UserIdFound{number, userId});
    }
    void OnProgress(const CollectProgress& progress) override { Post(progress); }
    void OnWarning(const std::string& message) override { Post(Warning{message}); }
    void OnFinished(const RunResult& result) override { Post(result); }

    std::vector<Event> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(events_, {});
    }

  private:
    void Post(Event event) {
        bool first = false;
        {
            std::lock_guard lock(mutex_);
            first = events_.empty();
            events_.push_back(std::move(event));
        }
        // One delivery takes in everything posted until it runs, so a busy window gets few,
        // large batches. Posted to this object, it dies with it.
        if (first) {
            QMetaObject::invokeMethod(
                this, [this] { owner_.Deliver(); }, Qt::QueuedConnection);
        }
    }

    WindowCommands& owner_;
    std::mutex mutex_;
    std::vector<Event> events_;
};

WindowCommands::WindowCommands(MainWindow& window, CommandSettings settings)
    : MainWindowActions(window),
      settings_(std::move(settings)),
      banner_(window),
      events_(std::make_unique<RunEvents>(*this)) {
    deliveryDue_.setSingleShot(true);
    QObject::connect(&deliveryDue_, &QTimer::timeout, events_.get(), [this] { Deliver(); });
    QObject::connect(&banner_, &NoticeBanner::Settled, events_.get(), [this] {
        if (!statusTouched_) {
            Window().状态条1()->SetPanelText(0, u"初始化完成！"_s);
        }
    });
}

WindowCommands::~WindowCommands() {
    collector_.reset();
    if (importer_.joinable()) {
        importer_.join();
    }
}

void WindowCommands::Created() {
    const double now = OaDateFromLocalTime(std::chrono::system_clock::now());
    Window().状态条1()->SetPanelText(
        0,
        u"登录时间： "_s + FromUtf8(FormatDateTime(now, DateTimeGroup::YearMonthDay, 2, true) +
                                    FormatDateTime(now, DateTimeGroup::HourMinuteSecond, 2, true)));
    banner_.Load(settings_.noticeUrl, settings_.noticeTimeouts);
}

void WindowCommands::SetStatus(const QString& text) {
    statusTouched_ = true;
    Window().状态条1()->SetPanelText(0, text);
}

bool WindowCommands::RefuseWhileBusy() {
    if (Running()) {
        Window().Messages().Inform(kBusy, kTitle);
    } else if (Importing()) {
        Window().Messages().Inform(u"正在导入贴吧名，请稍候"_s, kTitle);
    }
    return Running() || Importing();
}

// ---- The forum queue ----

void WindowCommands::ImportForumNames() {
    const QString path = AskForTextFile(FileDialog::Kind::Open, u"导入贴吧名"_s, {});
    if (!path.isEmpty()) {
        AddForumFiles({path});
    }
}

QString WindowCommands::AskForTextFile(FileDialog::Kind kind, const QString& title,
                                       const QString& proposedName) {
    FileDialog* dialog = Window().通用对话框1();
    // The dialog opens where the last file was chosen.
    const QString lastFile = dialog->Values().fileName;
    dialog->Values() = {
        .kind = kind,
        .title = title,
        .fileName = proposedName,
        .filter = kTextFiles,
        .initialFolder = lastFile.isEmpty() ? QString() : QFileInfo(lastFile).absolutePath(),
        .defaultExtension = u"txt"_s,
        .fileMustExist = kind == FileDialog::Kind::Open};
    if (!dialog->Show()) {
        dialog->Values().fileName = lastFile;
        return {};
    }
    return dialog->Values().fileName;
}

void WindowCommands::AddDroppedForumFiles(const QString& paths) {
    AddForumFiles(paths.split(u"\r\n"_s, Qt::SkipEmptyParts));
}

struct WindowCommands::ImportedNames {
    std::vector<ReportRow> rows;  // one per new forum, at "未开始"
    int skipped = 0;
    QStringList errors;
};

WindowCommands::ImportedNames WindowCommands::ReadForumFiles(const QStringList& files,
                                                             std::vector<std::string> queued) {
    ImportedNames imported;
    const size_t before = queued.size();
    for (const QString& file : files) {
        const TextFile read = ReadTextFile(QFile::encodeName(file).toStdString());
        if (!read.error.empty()) {
            imported.errors.append(FromUtf8(read.error));
            continue;
        }
        ForumNames names = SplitForumNames(read.text, queued);
        imported.skipped += names.skipped;
        queued.insert(queued.end(), std::make_move_iterator(names.added.begin()),
                      std::make_move_iterator(names.added.end()));
    }
    for (size_t i = before; i < queued.size(); ++i) {
        imported.rows.emplace_back(
            QStringList{FromUtf8(queued[i]), StateText(ForumState::NotStarted)});
    }
    return imported;
}

void WindowCommands::AddForumFiles(const QStringList& files) {
    pendingFiles_.append(files);
    if (!Importing()) {
        ImportPendingFiles();
    }
}

void WindowCommands::ImportPendingFiles() {
    ReportListView* forums = Window().超级列表框1();
    std::vector<std::string> queued;
    for (int row = 0; row < forums->RowCount(); ++row) {
        queued.push_back(forums->GetCellText(row, kForumName).toStdString());
    }
    SetStatus(u"正在读取贴吧名文件……"_s);
    // A huge file takes seconds to read and sort out; the window goes on meanwhile.
    importer_ = std::thread([this, files = std::exchange(pendingFiles_, {}),
                             queued = std::move(queued)]() mutable {
        auto imported = std::make_shared<ImportedNames>(ReadForumFiles(files, std::move(queued)));
        QMetaObject::invokeMethod(
            events_.get(), [this, imported] { FinishImport(std::move(*imported)); },
            Qt::QueuedConnection);
    });
}

void WindowCommands::FinishImport(ImportedNames imported) {
    importer_.join();
    const int added = static_cast<int>(imported.rows.size());
    if (added > 0) {
        Window().超级列表框1()->InsertRows(std::move(imported.rows));
    }
    if (added > 0 || imported.skipped > 0) {
        SetStatus(u"导入%1个贴吧名，跳过%2个重复的"_s.arg(added).arg(imported.skipped));
    } else if (imported.errors.isEmpty()) {
        SetStatus(u"文件中没有贴吧名"_s);
    } else {
        SetStatus(u"导入失败"_s);
    }
    if (!imported.errors.isEmpty()) {
        Window().Messages().Inform(imported.errors.join(u'\n'), u"导入失败"_s);
    }
    if (!pendingFiles_.isEmpty()) {
        ImportPendingFiles();
    }
}

// ---- The run ----

void WindowCommands::StartCollection() {
    if (RefuseWhileBusy()) {
        return;
    }
    MainWindow& window = Window();
    ReportListView* forumList = window.超级列表框1();
    std::vector<std::string> forums;
    std::vector<int> rows;
    for (int row = 0; row < forumList->RowCount(); ++row) {
        if (forumList->GetCellText(row, kForumState) != StateText(ForumState::Finished)) {
            forums.push_back(forumList->GetCellText(row, kForumName).toStdString());
            rows.push_back(row);
        }
    }
    if (forumList->RowCount() == 0) {
        window.Messages().Inform(u"请先导入贴吧名：一行一个贴吧名的TXT文本"_s, kTitle);
        return;
    }
    if (forums.empty()) {
        window.Messages().Inform(u"列表中的贴吧都已采集完成，请导入新的贴吧名"_s, kTitle);
        return;
    }
    const RunOptions panel = window.ReadRunOptions();
    CollectOptions options = settings_.collect;
    options.collectUserIds = panel.collectUserIds;
    if (panel.collectAllPages) {
        options.pageLimit = std::nullopt;
    } else if (options.pageLimit = ParsePageLimit(panel.pageLimit.toStdString());
               !options.pageLimit) {
        window.Messages().Inform(FromUtf8(kBadPageLimitMessage), kTitle);
        return;
    }
    const ReportListModel* members = window.超级列表框_用户名()->Model();
    options.firstNumber = members->rowCount() + 1LL;
    // A forum a stopped run left unfinished is read again from its first page; the members
    // already listed are not listed twice.
    for (int row = 0; row < members->rowCount(); ++row) {
        options.collectedLinks.push_back(members->CellText(row, kHomeLink).toStdString());
    }
    saveFolder_.clear();
    if (panel.saveAsCollected) {
        if (!QDir().mkpath(settings_.saveFolder)) {
            window.Messages().Inform(u"无法创建实时保存文件夹：%1"_s.arg(settings_.saveFolder),
                                     kTitle);
            return;
        }
        saveFolder_ = settings_.saveFolder;
        options.saveFolder = QFile::encodeName(saveFolder_).toStdString();
    }

    runRows_ = std::move(rows);
    for (int row : runRows_) {
        forumList->SetCellText(row, kForumState, StateText(ForumState::Waiting));
    }
    progress_ = {.forumCount = static_cast<int>(forums.size())};
    lastWarning_.clear();
    collector_ = std::make_unique<Collector>(std::move(forums), std::move(options), *events_);
    collector_->Start();
    SetStatus(saveFolder_.isEmpty() ? u"开始采集……"_s : u"实时保存到：%1"_s.arg(saveFolder_));
    window.时钟_标题()->SetInterval(1000);
    window.OnTitleTimerTick();
}

void WindowCommands::StopCollection() {
    if (!Running()) {
        SetStatus(u"当前没有进行中的采集"_s);
        return;
    }
    collector_->RequestStop();
    SetStatus(u"正在停止……"_s);
}

void WindowCommands::Deliver() {
    if (sinceDelivery_.isValid() && sinceDelivery_.elapsed() < kDeliveryInterval) {
        deliveryDue_.start(kDeliveryInterval - static_cast<int>(sinceDelivery_.elapsed()));
        return;
    }
    DeliverNow();
}

void WindowCommands::DeliverNow() {
    sinceDelivery_.start();
    MainWindow& window = Window();
    ReportListView* members = window.超级列表框_用户名();
    const long long listed = members->RowCount();
    std::vector<ReportRow> batch;
    std::optional<RunResult> end;
    for (RunEvents::Event& event : events_->Take()) {
        if (auto* change = std::get_if<RunEvents::StateChange>(&event)) {
            window.超级列表框1()->SetCellText(runRows_.at(static_cast<size_t>(change->forum)),
                                              kForumState, StateText(change->state));
        } else if (auto* records = std::get_if<std::vector<MemberRecord>>(&event)) {
            for (const MemberRecord& r : *records) {
                // Number, nickname, user ID (to come) and the home link.
                batch.emplace_back(QStringList{QString::number(r.number), FromUtf8(r.nickname),
                                               QString(), FromUtf8(r.homeLink)});
            }
        } else if (auto* found = std::get_if<RunEvents::UserIdFound>(&event)) {
            // Numbers run on from the list's last row, so a record's number is its row + 1.
            const long long row = found->number - 1;
            if (row < listed) {
                members->SetCellText(static_cast<int>(row), kUserId, FromUtf8(found->userId));
            } else if (static_cast<size_t>(row - listed) < batch.size()) {
                batch[static_cast<size_t>(row - listed)].SetCell(kUserId, FromUtf8(found->userId));
            }
        } else if (auto* progress = std::get_if<CollectProgress>(&event)) {
            progress_ = *progress;
        } else if (auto* warning = std::get_if<RunEvents::Warning>(&event)) {
            lastWarning_ = FromUtf8(warning->message);
        } else {
            end = std::get<RunResult>(event);
        }
    }
    if (!batch.empty()) {
        const int first = members->InsertRows(std::move(batch));
        if (first >= 0) {
            members->EnsureRowVisible(members->RowCount() - 1);
        }
    }
    if (end) {
        EndRun(*end);
    } else if (Running()) {
        const QString pages = progress_.pageCount > 0
                                  ? u"%1/%2"_s.arg(progress_.page).arg(progress_.pageCount)
                                  : QString::number(progress_.page);
        SetStatus(u"贴吧%1/%2 第%3页 已采集%4人 失败%5"_s.arg(progress_.forum)
                      .arg(progress_.forumCount)
                      .arg(pages)
                      .arg(progress_.members)
                      .arg(progress_.failures));
    }
}

QString WindowCommands::CaptionNote() const {
    if (!Running()) {
        return {};
    }
    QString note = u"正在采集：已采集%1人，ID %2个，失败%3次"_s.arg(progress_.members)
                       .arg(progress_.userIds)
                       .arg(progress_.failures);
    if (!saveFolder_.isEmpty()) {
        note += u"，实时保存到 "_s + saveFolder_;
    }
    if (!lastWarning_.isEmpty()) {
        note += u"（"_s + lastWarning_ + u"）"_s;
    }
    return note;
}

void WindowCommands::EndRun(const RunResult& result) {
    collector_.reset();  // its thread has nothing left to do but end
    MainWindow& window = Window();
    window.时钟_标题()->SetInterval(0);
    window.OnTitleTimerTick();
    switch (result.end) {
        case RunEnd::Finished:
            SetStatus(u"采集完成！共采集%1人"_s.arg(progress_.members));
            window.Messages().Inform(FromUtf8(kRunFinishedText), kTitle);
            break;
        case RunEnd::Stopped:
            SetStatus(FromUtf8(kRunStoppedText));
            break;
        case RunEnd::Failed:
            SetStatus(FromUtf8(kRunStoppedText));
            window.Messages().Inform(FromUtf8(result.reason), kTitle);
            break;
    }
}

bool WindowCommands::MayClose() {
    if (!Running()) {
        return true;
    }
    if (!Window().Messages().Ask(u"正在采集中，确定停止采集并退出吗？"_s, kTitle)) {
        return false;
    }
    // The run never waits for the window, so waiting here ends; its files are complete after.
    collector_->RequestStop();
    collector_->Wait();
    DeliverNow();
    return true;
}

// ---- Saving and export ----

void WindowCommands::ExportNicknames() {
    Export(ExportFields::Nicknames);
}

void WindowCommands::ExportUserIds() {
    Export(ExportFields::UserIds);
}

void WindowCommands::ExportAll() {
    Export(ExportFields::All);
}

void WindowCommands::Export(ExportFields fields) {
    MainWindow& window = Window();
    const ReportListModel* list = window.超级列表框_用户名()->Model();
    const int rows = list->rowCount();
    std::vector<MemberRecord> records;
    records.reserve(static_cast<size_t>(rows));
    int withId = 0;
    for (int row = 0; row < rows; ++row) {
        MemberRecord& r = records.emplace_back();
        r.nickname = list->CellText(row, kNickname).toStdString();
        r.userId = list->CellText(row, kUserId).toStdString();
        withId += r.userId.empty() ? 0 : 1;
    }
    if (records.empty()) {
        window.Messages().Inform(u"列表中还没有用户，请先采集"_s, kTitle);
        return;
    }
    if (fields == ExportFields::UserIds && withId == 0) {
        window.Messages().Inform(u"列表中还没有用户ID，请勾选“采集用户ID”后采集"_s, kTitle);
        return;
    }
    static const QString kNames[] = {u"用户呢称.txt"_s, u"用户ID.txt"_s, u"用户呢称和ID.txt"_s};
    const QString path =
        AskForTextFile(FileDialog::Kind::Save, u"导出"_s, kNames[static_cast<int>(fields)]);
    if (path.isEmpty()) {
        return;
    }
    const std::string error = ExportMembers(QFile::encodeName(path).toStdString(), records, fields,
                                            window.ReadRunOptions().separator.toStdString());
    if (!error.empty()) {
        window.Messages().Inform(FromUtf8(error), u"导出失败"_s);
        return;
    }
    const int lines = fields == ExportFields::UserIds ? withId : rows;
    SetStatus(u"已导出%1行到 %2"_s.arg(lines).arg(path));
}

void WindowCommands::ClearResults() {
    if (RefuseWhileBusy()) {
        return;
    }
    MainWindow& window = Window();
    ReportListView* members = window.超级列表框_用户名();
    ReportListView* forumList = window.超级列表框1();
    const int count = members->RowCount();
    if (count > 0 &&
        !window.Messages().Ask(u"确定清空全部采集结果（%1个用户）吗？"_s.arg(count), kTitle)) {
        return;
    }
    members->DeleteAllRows();
    // Finished forums go with their results, so they can be imported and collected afresh;
    // forums still to collect stay queued.
    std::vector<ReportRow> kept;
    for (int row = 0; row < forumList->RowCount(); ++row) {
        if (forumList->GetCellText(row, kForumState) != StateText(ForumState::Finished)) {
            kept.emplace_back(QStringList{forumList->GetCellText(row, kForumName),
                                          forumList->GetCellText(row, kForumState)});
        }
    }
    forumList->DeleteAllRows();
    if (!kept.empty()) {
        forumList->InsertRows(std::move(kept));
    }
    SetStatus(u"已清空"_s);
}

// ---- The notice banner ----

void WindowCommands::NoticeTimerTick() {
    banner_.Tick();
}

std::optional<bool> WindowCommands::NoticeBannerPressed(int, int, int) {
    banner_.Press();
    return std::nullopt;
}

}  // namespace zelvor
