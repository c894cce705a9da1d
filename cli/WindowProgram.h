#pragma once

#include <QString>

// The window program: the main window and everything it needs, in an
// executable of its own beside the front program. The front program hands
// the process over to it whenever the command line asks for the window.
namespace cli
{

// The window program's path: beside the executable of this process.
QString windowProgramPath();

// Replaces this process by the window program, with the same arguments and
// environment. Returns only when that fails, after saying why on standard
// error, with the exit code to end with.
int handOverToWindow(char **argv);

} // namespace cli
