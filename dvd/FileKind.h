#pragma once

#include <string>

namespace dvd
{

// Why the file at path is not to be opened, or empty when it may be: a
// regular file, a folder, a disc drive, or nothing at all (opening it then
// says so). FIFOs, sockets and other devices are refused before they are
// opened, since opening or reading one can block for ever or never end.
// Symbolic links are followed.
std::string refusedFileReason(const std::string &path);

} // namespace dvd
