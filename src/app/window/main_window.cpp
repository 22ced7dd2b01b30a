#include "app/window/main_window.h"

#include "ui/digits_edit.h"
#include "ui/fonts.h"
#include "ui/svg_image.h"
#include "ui/thread_call.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

#include <utility>

// Resources of a static library must be registered by name, outside any namespace.
static void RegisterResources() {
    Q_INIT_RESOURCE(zelvor);
}

namespace zelvor {
namespace {

constexpr Qt::WindowFlags kFrame = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                   Qt::WindowCloseButtonHint;

QFont FontFor(FontRole role) {
    switch (role) {
        case FontRole::Option:
            return YaHeiFont(12, QFont::Normal);
        case FontRole::Banner:
            return YaHeiFont(19, QFont::Bold);
        case FontRole::Gui:
            break;
    }
    return QApplication::font();
}

QList<QIcon> LoadImages(const QStringList& paths) {
    QList<QIcon> images;
    for (const QString& path : paths) {
        images.append(SvgIcon(path, 32));
    }
    return images;
}

}  // namespace

MainWindow::MainWindow(StartOptions options, QWidget* parent)
    : QWidget(parent, kFrame),
      options_(std::move(options)),
      messages_(this),
      openUrl_(&QDesktopServices::openUrl) {
    RegisterResources();
    Build();
    actions_ = std::make_unique<MainWindowActions>(*this);
    BindEventTable();
}

MainWindow::~MainWindow() = default;

void MainWindow::SetActions(std::unique_ptr<MainWindowActions> actions) {
    actions_ = std::move(actions);
}

void MainWindow::Build() {
    setObjectName(WindowTemplate().front().name.toString());
    setWindowTitle(WindowCaption());
    setWindowIcon(SvgIcon(WindowIconPath(), 256));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    layout->setSpacing(0);
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);  // the menu bar belongs to the window's outer size
    layout->setMenuBar(menuBar_);
    client_ = new QWidget(this);
    layout->addWidget(client_);
    client_->installEventFilter(this);

    for (const UnitTemplate& unit : WindowTemplate()) {
        if (unit.kind != UnitKind::Window) {
            units_.insert(unit.name.toString(), CreateUnit(unit));
        }
    }
    // Group boxes come after the units they hold, so units are placed once all exist. Placing
    // in template order lays later units over earlier ones.
    QList<QWidget*> tabOrder;
    for (const UnitTemplate& unit : WindowTemplate()) {
        auto* widget = qobject_cast<QWidget*>(units_.value(unit.name.toString()));
        if (widget == nullptr || qobject_cast<QMenu*>(widget) != nullptr) {
            continue;
        }
        widget->setParent(unit.parent.isEmpty() ? client_ : Unit<QWidget>(unit.parent));
        widget->setGeometry(unit.place);
        widget->setVisible(unit.shown);
        if (unit.tabStop) {
            tabOrder.prepend(widget);
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
    }
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    // The bars are docked along the edges, beneath the controls that lie over their strips.
    工具条1()->lower();
    状态条1()->lower();

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

QObject* MainWindow::CreateUnit(const UnitTemplate& unit) {
    const QString text = unit.text.toString();
    QObject* created = nullptr;
    QWidget* widget = nullptr;
    switch (unit.kind) {
        case UnitKind::Window:
            return nullptr;
        case UnitKind::Timer:
            created = new IntervalTimer(this);
            break;
        case UnitKind::DropTarget:
            created = new FileDropTarget(this);
            break;
        case UnitKind::FileDialog:
            created = new FileDialog(this);
            break;
        case UnitKind::MenuEntry:
            // A top-level entry opens a menu; the entries after it are its items.
            created = unit.parent.isEmpty() ? static_cast<QObject*>(menuBar_->addMenu(text))
                                            : Unit<QMenu>(unit.parent)->addAction(text);
            break;
        case UnitKind::Label:
        case UnitKind::TransparentLabel: {
            auto* label = new TextLabel(this);
            label->SetText(text);
            label->setAutoFillBackground(unit.kind == UnitKind::Label);
            widget = label;
            break;
        }
        case UnitKind::EditBox: {
            QLineEdit* edit =
                (unit.flags & kDigitsOnly) != 0 ? new DigitsEdit(this) : new QLineEdit(this);
            edit->setText(text);
            edit->setAlignment(Qt::AlignCenter);
            edit->setCursorPosition(0);
            widget = edit;
            break;
        }
        case UnitKind::CheckBox: {
            auto* box = new QCheckBox(text, this);
            box->setChecked((unit.flags & kChecked) != 0);
            widget = box;
            break;
        }
        case UnitKind::GroupBox:
            widget = new QGroupBox(text, this);
            break;
        case UnitKind::ListView:
            widget = new ReportListView(ListColumns(unit.name), FullRowSelect(unit.name), this);
            break;
        case UnitKind::StatusBar:
            widget = new StatusBar(StatusPanels(), this);
            break;
        case UnitKind::ToolBar:
            widget = new ToolBar(ToolBarEntries(), LoadImages(ToolBarImages()), this);
            break;
    }
    if (widget != nullptr) {
        widget->setFont(FontFor(unit.font));
        QPalette colours = widget->palette();
        colours.setColor(QPalette::WindowText, unit.textColour);
        colours.setColor(QPalette::Text, unit.textColour);
        colours.setColor(QPalette::Base, Qt::white);
        widget->setPalette(colours);
        if ((unit.flags & kHandPointer) != 0) {
            widget->setCursor(Qt::PointingHandCursor);
        }
        created = widget;
    }
    created->setObjectName(unit.name.toString());
    return created;
}

RunOptions MainWindow::ReadRunOptions() const {
    return CallOnOwnerThread(this, [this] {
        return RunOptions{
            .collectUserIds = Unit<QCheckBox>(u"选择框_采集ID")->isChecked(),
            .collectAllPages = Unit<QCheckBox>(u"选择框_采集全部")->isChecked(),
            .pageLimit = Unit<QLineEdit>(u"编辑框_采集页数")->text(),
            .saveAsCollected = Unit<QCheckBox>(u"选择框_实时保存")->isChecked(),
            .separator = Unit<QLineEdit>(u"编辑框_分隔符")->text(),
        };
    });
}

void MainWindow::Open() {
    if (std::exchange(opened_, true)) {
        return;
    }
    OnMainWindowCreated();
    超级列表框1()->setFocus();
    winId();  // the frame's margins are known only for a created window
    FitOuterFrame();
    show();
    FitOuterFrame();
    if (!options_.files.isEmpty()) {
        // Taken in from the event loop, as a drop would be.
        QMetaObject::invokeMethod(
            this, [this] { OnFilesDropped(FileDropTarget::PathsText(options_.files)); },
            Qt::QueuedConnection);
    }
}

void MainWindow::FitOuterFrame() {
    const QSize outer = WindowTemplate().front().place.size();
    const QMargins frame = windowHandle()->frameMargins();
    setFixedSize(outer.shrunkBy(frame));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move(screen.x() + (screen.width() - outer.width()) / 2,
         screen.y() + (screen.height() - outer.height()) / 2);
}

void MainWindow::DockBars() {
    ToolBar* toolBar = 工具条1();
    toolBar->move(0, 0);
    toolBar->FitToWidth(client_->width());
    StatusBar* statusBar = 状态条1();
    const int height = statusBar->sizeHint().height();
    statusBar->setGeometry(0, client_->height() - height, client_->width(), height);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        DockBars();
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!OnMainWindowCloseQuery()) {
        event->ignore();
        return;
    }
    时钟_标题()->SetInterval(0);
    时钟_公告()->SetInterval(0);
    event->accept();
}

}  // namespace zelvor
