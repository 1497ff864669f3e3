#pragma once

#include <QIcon>
#include <QString>

#include <span>

namespace norva {

class MainWindow;

// Every command of the main window's menus and toolbar.
enum class Command {
    OpenScoreFile,
    SaveReport,
    PageSetup,
    Print,
    ExportGames,
    ExportTotals,
    Exit,
    Calculate,
    ToggleToolBar,
    ShowUserWindow,
    ShowRankWindow,
    ShowStageWindow,
    ShowWinWindow,
    ShowGraphWindow,
    ShowOptions,
    FollowLog,
    Cascade,
    TileHorizontally,
    TileVertically,
    ArrangeIcons,
    ShowManual,
    ShowAbout,
    ShowStatsWindow,
    ShowGamesWindow,
};

// When a command is enabled: always, or only while a calculation has found
// data (MainWindow::enableResultCommands switches all of these together).
enum class Availability { Always, WithResults };

// The menus of the menu bar.
enum class Menu { File, Edit, View, Window, Help };

struct MenuDef
{
    Menu menu;
    const char16_t *name; // the object name
    const char16_t *caption;
};

// A command's toolbar button.
struct ButtonDef
{
    const char16_t *key = nullptr; // the button's object name; null: the command has no button
    const char16_t *tooltip = nullptr;
    const char16_t *icon = nullptr; // a resourceIcon name
    bool separatorAfter = false;
};

// One command: its menu item, its toolbar button and what it runs.
struct CommandDef
{
    Command command;
    Menu menu;
    const char16_t *name; // the menu item's object name
    const char16_t *caption;
    const char16_t *shortcut;       // or null
    const char16_t *separatorAfter; // the object name of a separator line after the item, or null
    ButtonDef button;
    Availability availability;
    void (*run)(MainWindow &window);
    // The object name of the submenu the item stands in (the items of one
    // submenu follow each other), or null: in the menu itself.
    const char16_t *submenu = nullptr;
};

// A submenu: its object name and caption.
struct SubmenuDef
{
    const char16_t *name;
    const char16_t *caption;
};

// The submenus by object name; null for an unknown name.
const SubmenuDef *submenuNamed(QStringView name);

// The menus in the order of the menu bar.
std::span<const MenuDef> menuTable();
// Every command in the order of its menu (a menu's items are those of the
// table in table order: a late item of the View menu may come last); the
// toolbar's buttons follow the table's order.
std::span<const CommandDef> commandTable();

// A command's place in commandTable().
qsizetype indexOfCommand(Command command);
// The place of the command whose menu item or toolbar button has exactly
// this object name, or -1.
qsizetype indexOfMenuItem(QStringView name);
qsizetype indexOfButton(QStringView key);

// The toolbar's button images by button key. An unknown key gives an empty
// icon.
QIcon toolbarIcon(const QString &key);

} // namespace norva
