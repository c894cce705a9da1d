#pragma once

#include <array>

// Resource identifiers of the program, all in one place: dialogs, strings,
// icons, the toolbar and its commands, and the controls of every dialog.
// Code and tests find a control by its id (FindCtrl in ControlId.h).

// Dialog results, and the ids of the OK and Cancel buttons.
#ifndef IDOK
inline constexpr int IDOK = 1;
#endif
#ifndef IDCANCEL
inline constexpr int IDCANCEL = 2;
#endif

inline constexpr int IDR_MAINFRAME = 128; // application icon
inline constexpr int IDR_TOOLBAR = 129;   // the main window's toolbar
// The control id of the main window's toolbar window.
inline constexpr int AFX_IDW_TOOLBAR = 0xE800;

inline constexpr int IDI_CLEAR = 144;   // toolbar picture "Clear"
inline constexpr int IDI_CONVERT = 145; // toolbar picture "Convert"
inline constexpr int IDI_DISC = 146;    // toolbar picture "Disc"
inline constexpr int IDI_FOLDER = 147;  // toolbar picture "Folder"

inline constexpr int ID_ADD_FROM_DISC = 32771;
inline constexpr int ID_ADD_FROM_FOLDER = 32772;
inline constexpr int ID_CLEAR = 32773;
inline constexpr int ID_CONVERT = 32774;

// The buttons of toolbar IDR_TOOLBAR, left to right: four buttons, no separators.
inline constexpr std::array<int, 4> kToolBarButtons = {ID_ADD_FROM_DISC, ID_ADD_FROM_FOLDER,
                                                       ID_CLEAR, ID_CONVERT};

// The pictures of those buttons, in the same order.
inline constexpr std::array<int, 4> kToolBarIcons = {IDI_DISC, IDI_FOLDER, IDI_CLEAR, IDI_CONVERT};

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_VELKODVDRIPPER_DIALOG = 102;
inline constexpr int IDD_CONVERT = 137;

// The "About" command, as the window menu of the main window knows it.
inline constexpr int IDM_ABOUTBOX = 0x0010;
// The checkable "List DVD titles" item of the main window's context menu.
inline constexpr int IDM_LISTTITLES = 0x0020;
// The "Tracks..." item of the context menu of a DVD title's row.
inline constexpr int IDM_TRACKS = 0x0030;
// The context menu's "Picture" items: the three deinterlacing choices and
// the checkable "Crop black bars".
inline constexpr int IDM_DEINTERLACE_AUTO = 0x0040;
inline constexpr int IDM_DEINTERLACE_ALWAYS = 0x0050;
inline constexpr int IDM_DEINTERLACE_NEVER = 0x0060;
inline constexpr int IDM_CROPBARS = 0x0070;

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
// The lines beside "Stop": the title's place in the run with its percentage
// and speed, then time elapsed and left for the title and for the run.
inline constexpr int IDC_CONVERT_TITLE = 1030;
inline constexpr int IDC_CONVERT_TITLE_TIME = 1031;
inline constexpr int IDC_CONVERT_RUN_TIME = 1032;

// "Tracks" dialog: the audio tracks and subtitles of one DVD title.
inline constexpr int IDD_TRACKS = 138;
inline constexpr int IDC_TRACKS_AUDIO = 1040;
inline constexpr int IDC_TRACKS_UP = 1041;
inline constexpr int IDC_TRACKS_DOWN = 1042;
inline constexpr int IDC_TRACKS_SUBTITLES = 1043;

// "Select DVD disc" dialog.
inline constexpr int IDD_SELECT_DVD_DISC = 133;
inline constexpr int IDC_SELECT_DISC = 1007;

// "Loading..." dialog.
inline constexpr int IDD_LOADING = 134;
inline constexpr int IDC_LOADING_PROGRESS = 1008;

// "Select DVD Folder" dialog.
inline constexpr int IDD_SELECT_DVD_FOLDER = 136;
inline constexpr int IDC_SELECT_FOLDER = 1000;
inline constexpr int IDC_SELECT_BROWSE = 1004;

// The folder picker's own row below Qt's file dialog.
inline constexpr int IDC_XFOLDER_LABEL = 1001;
inline constexpr int IDC_XFOLDER_HISTORY = 1002;
