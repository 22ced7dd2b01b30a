#include "app/window/main_window_template.h"

#include "app/window/maker.h"

#include <QUrl>

#include <array>

namespace zelvor {
namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kBannerBlue = qRgb(0, 136, 255);

using enum UnitKind;
using enum FontRole;

// Units in template order. Later units lie over earlier ones; the Tab key visits the units
// marked for it in reverse order. Timers, the file dialog and the drop target are never drawn.
// clang-format off
constexpr std::array<UnitTemplate, 26> kUnits = {{
    // name                 kind              in         left top  width height shown  tab    text                                          font    colour       flags
    {u"MainWindow",         Window,           {},        {50,  50,  994, 670}, true,  false, u"",                                          Gui,    kBlack,      0},
    {u"标签3",              Label,            {},        {623, 37,  68,  24},  true,  false, u"采集页数：",                                Option, kBlack,      0},
    {u"标签2",              Label,            {},        {704, 8,   45,  24},  true,  false, u"分隔符：",                                  Option, kBlack,      0},
    {u"编辑框_分隔符",      EditBox,          {},        {768, 8,   80,  24},  true,  true,  u"---",                                       Gui,    kBlack,      0},
    {u"时钟_标题",          Timer,            {},        {944, 24,  26,  26},  false, false, u"",                                          Gui,    kBlack,      0},
    {u"时钟_公告",          Timer,            {},        {904, 24,  26,  26},  false, false, u"",                                          Gui,    kBlack,      0},
    {u"透明标签_公告",      TransparentLabel, u"分组框3", {8,   15,  970, 40},  true,  false, u"",                                          Banner, kBannerBlue, kHandPointer},
    {u"分组框3",            GroupBox,         {},        {0,   65,  987, 64},  true,  false, u"公告区",                                    Gui,    kBlack,      0},
    {u"透明标签2",          TransparentLabel, u"分组框2", {0,   -1,  692, 40},  true,  false, u"",                                          Option, kBlack,      0},
    {u"编辑框_采集页数",    EditBox,          {},        {704, 37,  45,  24},  true,  true,  u"10",                                        Option, kBlack,      kDigitsOnly},
    {u"选择框_实时保存",    CheckBox,         {},        {623, 8,   68,  24},  true,  true,  u"实时保存",                                  Option, kBlack,      0},
    {u"拖放对象1",          DropTarget,       u"分组框2", {116, 87,  26,  26},  false, false, u"",                                          Gui,    kBlack,      0},
    {u"标签1",              Label,            u"分组框2", {28,  63,  80,  24},  false, false, u"1",                                         Gui,    kBlack,      0},
    {u"选择框_采集ID",      CheckBox,         {},        {527, 8,   82,  24},  true,  true,  u"采集用户ID",                                Option, kBlack,      kChecked},
    {u"选择框_采集全部",    CheckBox,         {},        {527, 37,  80,  24},  true,  true,  u"采集所有页",                                Option, kBlack,      0},
    {u"通用对话框1",        FileDialog,       {},        {280, 16,  26,  26},  false, false, u"",                                          Gui,    kBlack,      0},
    {u"超级列表框_用户名",  ListView,         u"分组框2", {3,   17,  685, 442}, true,  true,  u"",                                          Option, kBlack,      0},
    {u"分组框2",            GroupBox,         {},        {296, 133, 692, 463}, true,  false, u"采集结果",                                  Option, kBlack,      0},
    {u"超级列表框1",        ListView,         u"分组框1", {3,   18,  285, 442}, true,  true,  u"",                                          Option, kBlack,      0},
    {u"状态条1",            StatusBar,        {},        {0,   413, 613, 20},  true,  false, u"",                                          Gui,    kBlack,      0},
    {u"访问官网",           MenuEntry,        {},        {},                   true,  false, u"访问官网",                                  Gui,    kBlack,      0},
    {u"官网",               MenuEntry,        u"访问官网", {},                  true,  false, u"官网",                                      Gui,    kBlack,      0},
    {u"使用帮助",           MenuEntry,        {},        {},                   true,  false, u"使用帮助",                                  Gui,    kBlack,      0},
    {u"查看帮助",           MenuEntry,        u"使用帮助", {},                  true,  false, u"查看帮助",                                  Gui,    kBlack,      0},
    {u"分组框1",            GroupBox,         {},        {2,   133, 291, 463}, true,  false, u"贴吧名(可将TXT文本拖进来，一行一个贴吧名)", Option, kBlack,      0},
    {u"工具条1",            ToolBar,          {},        {0,   0,   660, 28},  true,  false, u"",                                          Option, kBlack,      0},
}};
// clang-format on

QString MakerContact() {
    return QStringLiteral("QQ：") + MakerQq() + QStringLiteral(" 微信：") + MakerWeChat();
}

}  // namespace

std::span<const UnitTemplate> WindowTemplate() {
    return kUnits;
}

QList<ListColumn> ListColumns(QStringView listName) {
    if (listName == u"超级列表框1") {
        return {{QStringLiteral("贴吧名"), 200}, {QStringLiteral("状态"), 50}};
    }
    // The home link stays in every row but takes no room.
    return {{QStringLiteral("编号"), 50},
            {QStringLiteral("用户呢称"), 300},
            {QStringLiteral("用户ID"), 200},
            {QStringLiteral("url"), 0}};
}

bool FullRowSelect(QStringView listName) {
    return listName == u"超级列表框1";
}

QList<ToolBarButton> ToolBarEntries() {
    using enum ToolBarButton::Kind;
    const ToolBarButton separator{Separator, -1, {}};
    // Note the images of the last three buttons: 5, 6 and 4.
    return {
        {PushButton, 0, QStringLiteral("导入贴吧名")}, separator,
        {PushButton, 1, QStringLiteral("开始采集")},   separator,
        {PushButton, 2, QStringLiteral("停止")},       separator,
        {PushButton, 3, QStringLiteral("导出呢称")},   separator,
        {PushButton, 5, QStringLiteral("导出ID")},     separator,
        {PushButton, 6, QStringLiteral("导出全部")},   separator,
        {PushButton, 4, QStringLiteral("清空")},       separator,
    };
}

QStringList ToolBarImages() {
    return {
        QStringLiteral(":/zelvor/toolbar/import.svg"),
        QStringLiteral(":/zelvor/toolbar/start.svg"),
        QStringLiteral(":/zelvor/toolbar/stop.svg"),
        QStringLiteral(":/zelvor/toolbar/export_nicknames.svg"),
        QStringLiteral(":/zelvor/toolbar/clear.svg"),
        QStringLiteral(":/zelvor/toolbar/export_ids.svg"),
        QStringLiteral(":/zelvor/toolbar/export_all.svg"),
    };
}

QList<StatusPanel> StatusPanels() {
    return {
        {250, {}},
        {430,
         QStringLiteral("此软件为免费软件，如果您付费购买的，即表明上当受骗！ 官网") + MakerSite()},
        {320, QStringLiteral("Zelvor版权所有 ") + MakerContact()},
    };
}

QString WindowCaption() {
    return QStringLiteral("Zelvor贴吧用户采集器【免费版】  ") + MakerContact() +
           QStringLiteral(" 官网：") + QUrl(MakerSite()).host();
}

QString WindowIconPath() {
    return QStringLiteral(":/zelvor/icon.svg");
}

}  // namespace zelvor
