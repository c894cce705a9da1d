#pragma once

class QWidget;

// Where the main window was at the end of the last run, in the application
// profile: "Maximized" and the frame edges "Left", "Top", "Bottom", "Right"
// at the top level. The main window restores its position while it
// initialises and saves it when it is destroyed.
class CWindowPlacement
{
public:
    // Moves wnd to the stored top-left corner, keeping its size. A negative
    // Left shortens Right by as much and becomes 0; a negative Top becomes 0;
    // a Right of 0 (nothing stored) leaves the window where it is.
    static void RestorePlacement(QWidget &wnd);
    // Writes "Maximized"; and, only for a window that is not maximised, its
    // frame edges.
    static void SavePlacement(const QWidget &wnd);
};
