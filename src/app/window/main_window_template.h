#pragma once

#include "ui/report_list_model.h"
#include "ui/status_bar.h"
#include "ui/tool_bar.h"

#include <QList>
#include <QRect>
#include <QRgb>
#include <QStringList>
#include <QStringView>

#include <span>

namespace zelvor {

enum class UnitKind {
    Window,
    Label,
    EditBox,
    Timer,
    TransparentLabel,
    GroupBox,
    DropTarget,
    CheckBox,
    FileDialog,
    ListView,
    StatusBar,
    MenuEntry,
    ToolBar,
};

enum class FontRole {
    Gui,     // the system's default GUI font
    Option,  // "微软雅黑", 12 pixels, normal
    Banner,  // "微软雅黑", 19 pixels, bold
};

enum UnitFlag : unsigned {
    kChecked = 1,      // check box checked at start
    kDigitsOnly = 2,   // edit box takes typed digits and "-" only
    kHandPointer = 4,  // the pointer of links over the unit
};

// One unit of the window as the template creates it.
struct UnitTemplate {
    QStringView name;  // also the Qt objectName
    UnitKind kind;
    QStringView parent;  // the group box holding it, or the menu of a menu item; empty: the window
    QRect place;         // in the parent's coordinates; the window's own is its outer frame
    bool shown;
    bool tabStop;
    QStringView text;  // caption or initial text
    FontRole font;
    QRgb textColour;
    unsigned flags;
};

std::span<const UnitTemplate> WindowTemplate();

QList<ListColumn> ListColumns(QStringView listName);
bool FullRowSelect(QStringView listName);

QList<ToolBarButton> ToolBarEntries();
// Resource paths of the toolbar's image list, in image-index order.
QStringList ToolBarImages();
QList<StatusPanel> StatusPanels();

// The full caption of the window, held apart from the window itself.
QString WindowCaption();
QString WindowIconPath();

}  // namespace zelvor
