#include "TablesCommand.h"

#include "Disc.h"
#include "TablesChild.h"
#include "TablesText.h"

#include <cstdio>

int runTablesCommand(const std::vector<std::string> &arguments)
{
    std::string source;
    dvd::OpenOptions options;
    if (!dvd::parseTablesArguments(arguments, source, options)) {
        std::fputs("torvane: usage: torvane --tables [--title-set N] [--tables-folder FOLDER] "
                   "SOURCE\n",
                   stderr);
        return 2;
    }
    const std::string text = dvd::TablesText::write(dvd::Disc::open(source, options));
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return std::fflush(stdout) == 0 && written ? 0 : 1;
}
