#pragma once

#include <string>
#include <vector>

// torvane --tables [--title-set N] [--tables-folder FOLDER] SOURCE: reads
// the DVD's tables here and writes them on standard output as the DVD
// reader's TablesText, for a program that would rather not read them in its
// own process. Answers the exit status: 0 when a text was written (a disc or
// why there is none), 2 for arguments it does not take.
int runTablesCommand(const std::vector<std::string> &arguments);
