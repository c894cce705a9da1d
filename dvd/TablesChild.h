#pragma once

#include "OpenResult.h"

#include <string>
#include <vector>

namespace dvd
{

// The program option that writes a DVD's tables as TablesText:
//   PROGRAM --tables [--title-set N] [--tables-folder FOLDER] SOURCE
inline constexpr char kTablesOption[] = "--tables";
inline constexpr char kTitleSetOption[] = "--title-set";
inline constexpr char kTablesFolderOption[] = "--tables-folder";

// From now on, every Disc::open of this process reads the tables in a child
// process running program (the converter launcher): a damaged IFO that
// crashes libdvdread or makes it hang then takes only the child with it.
// An empty program reads them in this process again. Set once at start,
// before any thread opens a disc.
void readTablesInChild(std::string program);
const std::string &tablesProgram();

// Reads the tables of source with program in a child process, within
// options.timeoutMs and until *options.cancel is set. A child that crashes,
// hangs or answers nothing readable makes a second try, for a folder, with
// the .BUP copies in place of the IFO files (BackupTables); when that fails
// too, the answer is OpenError::Damaged, "The DVD's tables are damaged".
// An image or a device has no second try: libdvdread offers no way to read
// its copies first, and it turns to them by itself when an IFO fails
// without a crash.
OpenResult openInChild(const std::string &program, const std::string &source,
                       const OpenOptions &options);

// The arguments of the program that reads source's tables (without the
// program itself), and the options they carry; for the launcher's side.
std::vector<std::string> tablesArguments(const std::string &source, const OpenOptions &options);
bool parseTablesArguments(const std::vector<std::string> &arguments, std::string &source,
                          OpenOptions &options);

} // namespace dvd
