// torvane: runs ffmpeg for the ripper in the two forms the engine uses,
//   torvane -i SOURCE                               (probe)
//   torvane -y -i SOURCE <preset options...> TARGET  (conversion)
// with -hide_banner added and the preset options rewritten for today's
// ffmpeg. A conversion writes into a hidden file beside the target that
// takes the target's name only when it has finished, so that an existing
// target means the conversion worked and a failed one leaves an earlier
// file as it was.
#include "ChildProcess.h"
#include "Conversion.h"
#include "LauncherCommand.h"
#include "TableProbe.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr int cannotStart = 127;

} // namespace

int main(int argc, char **argv)
{
    const LauncherCommand command =
        makeLauncherCommand(std::vector<std::string>(argv + 1, argv + argc));
    if (command.form == LauncherForm::Convert)
        return runConversion(command);
    if (command.form == LauncherForm::Probe) {
        // A title file of a DVD whose tables read: the tables hold the whole
        // answer, and ffmpeg's guess from the timestamps would be wrong
        // wherever the file holds a title boundary.
        if (const std::optional<std::string> text = probeFromTables(command.source)) {
            std::fputs(text->c_str(), stderr);
            return 1; // as ffmpeg's probe form, which has no output file
        }
    }

    execProgram(command.ffmpeg);
    reportStartFailure(errno);
    return cannotStart;
}
