#pragma once

// Window resources of the main window, the About box and the conversion
// progress dialog: dialog, string and control ids.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_VELKODVDRIPPER_DIALOG = 102;
inline constexpr int IDD_CONVERT = 137;

// The "About" command, as the window menu of the main window knows it.
inline constexpr int IDM_ABOUTBOX = 0x0010;

// Main window.
inline constexpr int IDC_LIST_TITLES = 1000;
inline constexpr int IDC_COMBO_CATEGORY = 1001;
inline constexpr int IDC_COMBO_PRESET = 1002;
inline constexpr int IDC_BROWSE_OUTPUT = 1004;
inline constexpr int IDC_OPEN_OUTPUT = 1005;
inline constexpr int IDC_OUTPUT_FOLDER = 1006;
inline constexpr int IDC_SNAPSHOT_FOLDER = 1013;
inline constexpr int IDC_PREVIEW_FRAME = 1015;
inline constexpr int IDC_BROWSE_SNAPSHOT = 1017;

// About box.
inline constexpr int IDC_ABOUT_VERSION = 1021;

// Conversion progress dialog.
inline constexpr int IDC_CONVERT_STOP = 1004;
inline constexpr int IDC_CONVERT_PROGRESS = 1008;
inline constexpr int IDC_CONVERT_STATUS = 1014;
