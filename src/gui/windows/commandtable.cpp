#include "gui/windows/commandtable.h"

#include "gui/widgets/icons.h"
#include "gui/windows/calculationcommand.h"
#include "gui/windows/gameswindow.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/mainwindow.h"
#include "gui/windows/rankwindow.h"
#include "gui/windows/resultcommands.h"
#include "gui/windows/stagewindow.h"
#include "gui/windows/statswindow.h"
#include "gui/windows/userwindow.h"
#include "gui/windows/windowarrangement.h"
#include "gui/windows/winwindow.h"

namespace norva {

namespace {

constexpr MenuDef Menus[] = {
    {Menu::File, u"mnuFile", u"ファイル(&F)"}, {Menu::Edit, u"mnuEdit", u"編集(&E)"},
    {Menu::View, u"mnuView", u"表示(&V)"},     {Menu::Window, u"mnuWindow", u"ウィンドウ(&W)"},
    {Menu::Help, u"mnuHelp", u"ヘルプ(&H)"},
};

constexpr SubmenuDef Submenus[] = {
    {u"mnuFileExport", u"エクスポート(&E)"},
};

using C = Command;
using W = MainWindow;
constexpr bool SeparatorAfter = true;
constexpr Availability Always = Availability::Always;
constexpr Availability WithResults = Availability::WithResults;

// The menu items in order, each with its toolbar button where it has one:
// the command, its menu, the item's object name, caption, shortcut and the
// separator line after it, the button (key, tooltip, image, a separator
// after it), when it is enabled, and what it runs.
// clang-format off
constexpr CommandDef Commands[] = {
    {C::OpenScoreFile, Menu::File, u"mnuFileOpen", u"スコアファイル(&O)...", nullptr, nullptr,
     {u"ScoreFileOpen", u"スコアファイル指定", u"fileopen"}, Always,
     [](W &w) { w.calculation().openScoreFile(); }},
    {C::SaveReport, Menu::File, u"mnuFileSave", u"試合結果保存(&S)...", u"Ctrl+S", u"mnuFileBar1",
     {u"ResultsSave", u"結果保存", u"save"}, WithResults,
     [](W &w) { w.resultCommands().saveReport(); }},
    {C::PageSetup, Menu::File, u"mnuFilePageSetup", u"ページ設定(&U)...", nullptr, nullptr,
     {}, Always,
     [](W &w) { w.resultCommands().pageSetup(); }},
    {C::Print, Menu::File, u"mnuFilePrint", u"印刷(&P)...", u"Ctrl+P", u"mnuFileBar2",
     {u"Printer", u"印刷", u"print"}, WithResults,
     [](W &w) { w.resultCommands().print(); }},
    {C::ExportGames, Menu::File, u"mnuFileExportGames", u"試合一覧 CSV(&G)...", nullptr, nullptr,
     {}, WithResults,
     [](W &w) { w.resultCommands().exportGames(); }, u"mnuFileExport"},
    {C::ExportTotals, Menu::File, u"mnuFileExportTotals", u"集計 CSV(&T)...", nullptr,
     u"mnuFileBar3", {}, WithResults,
     [](W &w) { w.resultCommands().exportTotals(); }, u"mnuFileExport"},
    {C::Exit, Menu::File, u"mnuFileExit", u"終了(&X)", u"Ctrl+Q", nullptr,
     {u"Exit", u"終了", u"exit", SeparatorAfter}, Always,
     [](W &w) { w.close(); }},

    {C::Calculate, Menu::Edit, u"mnuEditCalc", u"計算(&C)", u"Ctrl+L", nullptr,
     {u"NvCalc", u"結果計算", u"calculate", SeparatorAfter}, Always,
     [](W &w) { w.calculation().calculate(); }},

    {C::ToggleToolBar, Menu::View, u"mnuViewToolbar", u"ツールバー(&T)", nullptr, u"mnuViewBar1",
     {}, Always,
     [](W &w) { w.toggleToolBar(); }},
    {C::ShowUserWindow, Menu::View, u"mnuViewUser", u"計算情報(&U)...", u"Ctrl+U", nullptr,
     {u"UserWindow", u"計算情報表示", u"user"}, Always,
     [](W &w) { w.userWindow().show(); }},
    {C::ShowRankWindow, Menu::View, u"mnuViewRank", u"順位(&R)...", u"Ctrl+R", nullptr,
     {u"RankWindow", u"順位表示", u"rank"}, Always,
     [](W &w) { w.rankWindow().show(); }},
    {C::ShowStageWindow, Menu::View, u"mnuViewStage", u"局(&A)...", u"Ctrl+A", nullptr,
     {u"StageWindow", u"局表示", u"stage"}, Always,
     [](W &w) { w.stageWindow().show(); }},
    {C::ShowWinWindow, Menu::View, u"mnuViewWin", u"役(&W)...", u"Ctrl+W", nullptr,
     {u"WinWindow", u"役表示", u"win"}, Always,
     [](W &w) { w.winWindow().show(); }},
    {C::ShowGraphWindow, Menu::View, u"mnuViewGraph", u"グラフ(&G)...", u"Ctrl+G", u"mnuViewBar2",
     {u"GraphWindow", u"グラフ表示", u"graph", SeparatorAfter}, Always,
     [](W &w) { w.graphWindow().show(); }},
    {C::ShowOptions, Menu::View, u"mnuViewOptions", u"オプション(&O)...", u"Ctrl+O",
     u"mnuViewBar3", {u"Customize", u"オプション設定", u"options", SeparatorAfter}, Always,
     [](W &w) { w.showOptions(); }},
    {C::FollowLog, Menu::View, u"mnuViewFollow", u"自動更新(&F)", nullptr, u"mnuViewBar4",
     {}, Always,
     [](W &w) { w.toggleFollowLog(); }},

    {C::Cascade, Menu::Window, u"mnuWindowCascade", u"重ねて表示(&C)", nullptr, nullptr,
     {}, Always,
     [](W &w) { w.arrangement().cascade(); }},
    {C::TileHorizontally, Menu::Window, u"mnuWindowTileHorizontal", u"上下に並べて表示(&H)",
     nullptr, nullptr, {}, Always,
     [](W &w) { w.arrangement().tileHorizontally(); }},
    {C::TileVertically, Menu::Window, u"mnuWindowTileVertical", u"左右に並べて表示(&V)",
     nullptr, nullptr, {}, Always,
     [](W &w) { w.arrangement().tileVertically(); }},
    {C::ArrangeIcons, Menu::Window, u"mnuWindowArrangeIcons", u"アイコンの整列(&A)",
     nullptr, nullptr, {}, Always,
     [](W &w) { w.arrangement().arrangeIcons(); }},

    {C::ShowManual, Menu::Help, u"mnuHelpContents", u"説明(&C)...", u"F1", u"mnuHelpBar1",
     {}, Always,
     [](W &w) { w.showManual(); }},
    {C::ShowAbout, Menu::Help, u"mnuHelpAbout", u"バージョン情報(&A)...", nullptr, nullptr,
     {u"AboutNorva", u"バージョン情報", u"about"}, Always,
     [](W &w) { w.showAbout(); }},

    // Added after the others: the last items of the View menu, the last
    // buttons of the toolbar.
    {C::ShowStatsWindow, Menu::View, u"mnuViewStats", u"詳細成績(&D)...", u"Ctrl+D", nullptr,
     {u"StatsWindow", u"詳細成績表示", u"stats"}, Always,
     [](W &w) { w.statsWindow().show(); }},
    {C::ShowGamesWindow, Menu::View, u"mnuViewGames", u"試合一覧(&L)...", nullptr, nullptr,
     {u"GamesWindow", u"試合一覧表示", u"games"}, Always,
     [](W &w) { w.gamesWindow().show(); }},
};
// clang-format on

template<typename Matches>
qsizetype find(Matches matches)
{
    for (qsizetype i = 0; i < qsizetype(std::size(Commands)); ++i)
        if (matches(Commands[i]))
            return i;
    return -1;
}

} // namespace

const SubmenuDef *submenuNamed(QStringView name)
{
    for (const SubmenuDef &s : Submenus)
        if (name == QStringView(s.name))
            return &s;
    return nullptr;
}

std::span<const MenuDef> menuTable()
{
    return Menus;
}

std::span<const CommandDef> commandTable()
{
    return Commands;
}

qsizetype indexOfCommand(Command command)
{
    return find([command](const CommandDef &d) { return d.command == command; });
}

qsizetype indexOfMenuItem(QStringView name)
{
    return find([name](const CommandDef &d) { return name == QStringView(d.name); });
}

qsizetype indexOfButton(QStringView key)
{
    return find(
        [key](const CommandDef &d) { return d.button.key && key == QStringView(d.button.key); });
}

QIcon toolbarIcon(const QString &key)
{
    const qsizetype i = indexOfButton(key);
    return i < 0 ? QIcon() : resourceIcon(QStringView(Commands[i].button.icon));
}

} // namespace norva
