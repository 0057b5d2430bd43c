// Names for the numeric ids of the program's resources and commands.
#pragma once

namespace cw {

// Commands (WM_COMMAND ids).
namespace command {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kHelpPage = 9;  // Help of the Options sheet
inline constexpr int kExit = 40000;
inline constexpr int kHelp = 40001;
inline constexpr int kUndo = 40002;
inline constexpr int kShowNextMove = 40003;
inline constexpr int kMenu = 40004;
inline constexpr int kNewGame = 40005;
inline constexpr int kRestartGame = 40006;
inline constexpr int kOptions = 40007;
inline constexpr int kShowBestTimes = 40009;
inline constexpr int kClear = 40010;
inline constexpr int kAbout = 40011;
inline constexpr int kPlay = 40013;
inline constexpr int kSelectSolitaire = 40014;
inline constexpr int kShowStatistics = 40018;
inline constexpr int kRedo = 40019;
inline constexpr int kSelectDeal = 40020;
inline constexpr int kCanThisGameBeWon = 40021;
inline constexpr int kShowWinningMove = 40022;
}  // namespace command

// String-table entries.
namespace string_id {
inline constexpr int kProgramTitle = 1;
inline constexpr int kLostTitle = 110;
inline constexpr int kLostText = 111;
inline constexpr int kGameOptionsHelp = 113;
inline constexpr int kInterfaceOptionsHelp = 114;
inline constexpr int kGameRules = 115;
inline constexpr int kAbout = 116;
inline constexpr int kStatistics = 117;
inline constexpr int kOk = 200;
inline constexpr int kCancel = 201;
inline constexpr int kClose = 202;
inline constexpr int kRestart = 203;
inline constexpr int kNoUndoTitle = 3000;
inline constexpr int kNoUndoText = 3001;
inline constexpr int kTimeUpTitle = 3002;
inline constexpr int kTimeUpText = 3003;
inline constexpr int kConfirmation = 3004;
inline constexpr int kClearBestTimes = 3005;
inline constexpr int kOptions = 3011;
inline constexpr int kGamePage = 3012;
inline constexpr int kInterfacePage = 3013;
inline constexpr int kBestTimes = 3014;
inline constexpr int kCongratulations = 3015;
inline constexpr int kClearStatistics = 3018;
inline constexpr int kRegistrySetAside = 3019;  // %1: the damaged file's new name
inline constexpr int kTitleWithDeal = 3020;    // %1: the game, %2: the deal number
inline constexpr int kSelectDealTitle = 3021;
inline constexpr int kSelectDealText = 3022;
inline constexpr int kSearchProgressTitle = 3023;
inline constexpr int kSearchProgressText = 3024;  // %1: positions searched so far
inline constexpr int kDealSearchText = 3025;
inline constexpr int kCanBeWonTitle = 3026;
inline constexpr int kCanBeWon = 3027;
inline constexpr int kCannotBeWon = 3028;
inline constexpr int kCannotBeWonUndoOne = 3029;
inline constexpr int kCannotBeWonUndoMany = 3030;  // %1: moves to undo
inline constexpr int kUndecided = 3031;
inline constexpr int kWinningMoveTitle = 3032;
inline constexpr int kNoWinningMove = 3033;
inline constexpr int kWinnableDealsTitle = 3034;
inline constexpr int kNoWinnableDeal = 3035;
inline constexpr int kChooserTitle = 5001;
inline constexpr int kNoMatchingGame = 5002;
inline constexpr int kHelp = 40001;  // menu texts share the id of their command
}  // namespace string_id

// Menus and menu bars.
namespace menu_id {
inline constexpr int kIconBarMenu = 107;      // popup of the icon bar's Menu button
inline constexpr int kLostBoxMenu = 108;      // Restart and Undo of the lost-game box
inline constexpr int kSoftKeyMenu = 129;      // popup of the main soft keys' Menu
inline constexpr int kOptionsMenu = 131;      // Help and Cancel of the Options sheet
}  // namespace menu_id

namespace menu_bar_id {
inline constexpr int kIconBar = 107;
inline constexpr int kOptions = 109;
inline constexpr int kChooser = 123;
inline constexpr int kHtmlViewer = 124;
inline constexpr int kNameEntry = 125;
inline constexpr int kTimeUp = 126;
inline constexpr int kLostGame = 127;
inline constexpr int kCloseClear = 128;
inline constexpr int kSoftKeys = 130;
inline constexpr int kSearchProgress = 132;
}  // namespace menu_bar_id

inline constexpr int kMainAccelerators = 2;

// Dialog templates.
namespace dialog_id {
inline constexpr int kGamePage = 600;
inline constexpr int kInterfacePage = 601;
inline constexpr int kFrame = 602;
inline constexpr int kBestTimes = 603;
inline constexpr int kOptionsSheet = 604;
inline constexpr int kChoiceBox = 605;
inline constexpr int kNameEntry = 606;
inline constexpr int kHtmlText = 607;
inline constexpr int kAbout = 608;
inline constexpr int kChooser = 609;
inline constexpr int kStatistics = 610;
}  // namespace dialog_id

}  // namespace cw
