#pragma once

// Numeric identifiers of the program's resources. Files in tivora.qrc are named after them:
// bitmaps ":/bitmaps/<id>.png", icons ":/icons/<id>-<size>.png", texts ":/strings/<id>.txt".
namespace Res {

// Icons
constexpr int IDI_TIVORA = 137;
constexpr int IDI_ABOUT = 1050;
constexpr int IDI_TRAY = 32512;
constexpr int IDI_TRAY_FRAME_FIRST = 1045;  // the tray animation's frames, first to last
constexpr int IDI_TRAY_FRAME_LAST = 1046;

// Skin bitmaps (pure green RGB(0,255,0) is transparent). "_HOT" pictures show while the
// mouse is over the button or it is pressed.
constexpr int IDB_SEARCH_HOT = 1019;        // 60 x 21
constexpr int IDB_SEARCH = 1020;            // 60 x 21
constexpr int IDB_SETTINGS_HOT = 1021;      // 60 x 21
constexpr int IDB_SETTINGS = 1022;          // 60 x 21
constexpr int IDB_HIDE_TO_TRAY = 1024;      // 12 x 13
constexpr int IDB_SIZE = 1025;              // 12 x 13
constexpr int IDB_ALL_GAMES = 1026;         // 12 x 20
constexpr int IDB_LOGO = 1028;              // 23 x 23
constexpr int IDB_BAR_BACKGROUND = 1035;    // 357 x 46
constexpr int IDB_FAVORITES_STRIP = 1036;   // 268 x 20
constexpr int IDB_ADD_HOT = 1038;           // 69 x 22
constexpr int IDB_REMOVE = 1039;            // 69 x 22
constexpr int IDB_ADD = 1040;               // 69 x 22
constexpr int IDB_REMOVE_HOT = 1041;        // 69 x 22
constexpr int IDB_GET_UPDATE = 1048;        // 68 x 22
constexpr int IDB_GET_UPDATE_HOT = 1049;    // 68 x 22
constexpr int IDB_EDIT_LEFT = 2007;         // 5 x 18
constexpr int IDB_EDIT_RIGHT = 2008;        // 5 x 18
constexpr int IDB_EDIT_TOP = 2009;          // 1 x 4
constexpr int IDB_EDIT_BOTTOM = 2010;       // 1 x 3
constexpr int IDB_TABS = 2011;              // 166 x 17: normal tab, selected tab
constexpr int IDB_TITLE_RIGHT = 2012;       // 132 x 15
constexpr int IDB_TITLE_LEFT = 2013;        // 35 x 15
constexpr int IDB_CLOSE = 2015;             // 12 x 12
constexpr int IDB_BUTTON_HOT = 2016;        // 69 x 23
constexpr int IDB_BUTTON = 2017;            // 69 x 23
constexpr int IDB_CHECKBOX = 2018;          // 12 x 12, empty
constexpr int IDB_CHECKBOX_CHECKED = 2019;  // 12 x 12, ticked
constexpr int IDB_THUMB_TOP = 2021;         // 14 x 6
constexpr int IDB_THUMB_BOTTOM = 2022;      // 14 x 4
constexpr int IDB_ARROW_UP = 2023;          // 14 x 14
constexpr int IDB_ARROW_DOWN = 2024;        // 14 x 14

// Dialog templates
constexpr int IDD_INTERNAL_ERROR = 135;
constexpr int IDD_ERROR_REPORT = 136;
constexpr int IDD_FAVORITES_PAGE = 1015;
constexpr int IDD_APPLICATION_PAGE = 1016;
constexpr int IDD_SETTINGS = 1033;
constexpr int IDD_MY_INFO_PAGE = 1034;
constexpr int IDD_UPDATE_INFORMATION = 1043;
constexpr int IDD_ABOUT = 1047;

// Controls of the error dialogs
constexpr int IDC_ERROR_BAND = 1003;
constexpr int IDC_ERROR_HEADING = 1004;
constexpr int IDC_ERROR_LINK = 1005;
constexpr int IDC_ERROR_REPORT = 1006;

// Controls of the settings dialog and its pages
constexpr int IDC_SETTINGS_TABS = 1009;
constexpr int IDC_ALWAYS_ON_TOP = 1007;
constexpr int IDC_RUN_AT_STARTUP = 1008;
constexpr int IDC_FAVORITES_LIST = 1005;
constexpr int IDC_ADD_FAVORITE = 1006;
constexpr int IDC_REMOVE_FAVORITE = 1007;
constexpr int IDC_AVAILABLE_HEADER = 1011;
constexpr int IDC_FAVORITES_HEADER = 1012;
constexpr int IDC_ALL_GAMES_LIST = 1013;
constexpr int IDC_FULL_NAME_LABEL = 1015;
constexpr int IDC_EMAIL_LABEL = 1016;
constexpr int IDC_FULL_NAME = 1017;
constexpr int IDC_EMAIL = 1018;

// Controls of the About and update-information dialogs
constexpr int IDC_VERSION_LABEL = 1020;  // "Version:" in About, "New Version:" in the update
constexpr int IDC_VERSION = 1022;        // the version line, or the release line
constexpr int IDC_PRODUCT_NAME = 1028;
constexpr int IDC_ABOUT_ICON = 1029;
constexpr int IDC_ABOUT_LINE_1 = 1031;
constexpr int IDC_ABOUT_LINE_2 = 1032;
constexpr int IDC_UPDATE_NOTE = 1034;
constexpr int IDC_UPDATE_HELP = 1035;

// Controls of the bar: they report their click to the bar window by these identifiers
constexpr int IDC_SEARCH_BUTTON = 120;
constexpr int IDC_SETTINGS_BUTTON = 122;
constexpr int IDC_SIZE = 131;
constexpr int IDC_HIDE_TO_TRAY = 132;
constexpr int IDC_SEARCH_EDIT = 220;
constexpr int IDC_ALL_GAMES = 303;
constexpr int IDC_FIRST_FAVORITE = 1000;  // the favourite game buttons, 1000 to 1003

// The tray menu and its commands
constexpr int IDR_TRAY_MENU = 1037;
constexpr int ID_SHOW_HIDE = 32771;
constexpr int ID_FAVORITES = 32774;
constexpr int ID_MY_INFO = 32775;
constexpr int ID_SETTINGS = 32776;
constexpr int ID_EXIT = 32779;
constexpr int ID_CHECK_UPDATES = 32781;
constexpr int ID_ABOUT = 32782;

// Standard command identifiers
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDC_STATIC = -1;

// The STRINGS text resource
constexpr int IDR_STRINGS = 1042;

// String table entries
constexpr int IDS_MAIN_WINDOW_TITLE = 1013;
constexpr int IDS_TAB_APPLICATION = 1018;
constexpr int IDS_TAB_FAVORITES = 1019;
constexpr int IDS_TAB_MY_INFO = 1020;
constexpr int IDS_SETTINGS_TITLE = 1021;
constexpr int IDS_UPDATE_INFORMATION = 1022;
constexpr int IDS_WINDOW_CLASS = 1023;
constexpr int IDS_SEARCH_PREFIX = 1500;  // the search service's address up to the query

}  // namespace Res
