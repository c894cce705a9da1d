#pragma once

#include <array>

// Resource identifiers of the program: icons, the toolbar and its commands.

inline constexpr int IDR_MAINFRAME = 128; // application icon
inline constexpr int IDR_TOOLBAR = 129;   // the main window's toolbar

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
