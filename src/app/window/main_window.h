#pragma once

#include "app/window/main_window_actions.h"
#include "app/window/main_window_template.h"
#include "app/window/start_options.h"
#include "ui/file_dialog.h"
#include "ui/file_drop_target.h"
#include "ui/interval_timer.h"
#include "ui/message_boxes.h"
#include "ui/report_list_view.h"
#include "ui/status_bar.h"
#include "ui/text_label.h"
#include "ui/tool_bar.h"

#include <QHash>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QMenuBar;

namespace zelvor {

// The options of a collection run as the option panel holds them at this moment.
struct RunOptions {
    bool collectUserIds = false;   // 选择框_采集ID
    bool collectAllPages = false;  // 选择框_采集全部
    QString pageLimit;             // 编辑框_采集页数, as it stands
    bool saveAsCollected = false;  // 选择框_实时保存
    QString separator;             // 编辑框_分隔符
};

// The program's one window, built from its template. Closing it ends the program.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(StartOptions options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Replaces what the window's events do; call before Open().
    void SetActions(std::unique_ptr<MainWindowActions> actions);
    // Runs the start-up work of OnMainWindowCreated once, then shows the window centred on the
    // primary screen. Files named at start are then taken in as if dropped.
    void Open();

    const StartOptions& Options() const { return options_; }
    // May be called from any thread.
    RunOptions ReadRunOptions() const;
    MessageBoxes& Messages() { return messages_; }
    // Opens address in the user's browser, or says how to reach it by hand.
    void OpenWebAddress(const QUrl& address);
    // Test seam: how a web address is opened; QDesktopServices by default.
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }

    // The units the commands work with. The list, bar and timer operations may be called from
    // any thread.
    ReportListView* 超级列表框1() const { return Unit<ReportListView>(u"超级列表框1"); }
    ReportListView* 超级列表框_用户名() const { return Unit<ReportListView>(u"超级列表框_用户名"); }
    ToolBar* 工具条1() const { return Unit<ToolBar>(u"工具条1"); }
    StatusBar* 状态条1() const { return Unit<StatusBar>(u"状态条1"); }
    TextLabel* 透明标签_公告() const { return Unit<TextLabel>(u"透明标签_公告"); }
    TextLabel* 透明标签2() const { return Unit<TextLabel>(u"透明标签2"); }
    IntervalTimer* 时钟_标题() const { return Unit<IntervalTimer>(u"时钟_标题"); }
    IntervalTimer* 时钟_公告() const { return Unit<IntervalTimer>(u"时钟_公告"); }
    FileDialog* 通用对话框1() const { return Unit<FileDialog>(u"通用对话框1"); }
    FileDropTarget* 拖放对象1() const { return Unit<FileDropTarget>(u"拖放对象1"); }

    // The event table's handlers, one per event.
    void OnMainWindowCreated();
    bool OnMainWindowCloseQuery();
    void OnTitleTimerTick();
    void OnNoticeTimerTick();
    std::optional<bool> OnNoticeBannerPressed(int x, int y, int modifiers);
    void OnFilesDropped(const QString& paths);
    void OnToolbarButtonClicked(int position);
    void OnWebsiteMenuItem();
    void OnHelpMenuItem();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();
    QObject* CreateUnit(const UnitTemplate& unit);
    void BindEventTable();
    void DockBars();
    void FitOuterFrame();

    template <class T>
    T* Unit(QStringView name) const {
        return qobject_cast<T*>(units_.value(name.toString()));
    }

    StartOptions options_;
    MessageBoxes messages_;
    std::unique_ptr<MainWindowActions> actions_;
    std::function<bool(const QUrl&)> openUrl_;
    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;  // the area below the menu bar that units are placed in
    QHash<QString, QObject*> units_;
    bool opened_ = false;
};

}  // namespace zelvor
