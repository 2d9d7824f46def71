#pragma once

// Numeric identifiers of the program's resources. Files in tivora.qrc are named after them:
// bitmaps ":/bitmaps/<id>.png", icons ":/icons/<id>-<size>.png", texts ":/strings/<id>.txt".
namespace Res {

// Icons
constexpr int IDI_TIVORA = 137;

// Dialog templates
constexpr int IDD_INTERNAL_ERROR = 135;
constexpr int IDD_ERROR_REPORT = 136;

// Controls of the error dialogs
constexpr int IDC_ERROR_BAND = 1003;
constexpr int IDC_ERROR_HEADING = 1004;
constexpr int IDC_ERROR_LINK = 1005;
constexpr int IDC_ERROR_REPORT = 1006;

// Standard command identifiers
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDC_STATIC = -1;

// The STRINGS text resource
constexpr int IDR_STRINGS = 1042;

// String table entries
constexpr int IDS_WINDOW_CLASS = 1023;

}  // namespace Res
