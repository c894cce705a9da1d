// torvane: runs ffmpeg for the ripper in the two forms the engine uses,
//   torvane -i SOURCE                               (probe)
//   torvane -y -i SOURCE <preset options...> TARGET  (conversion)
// with -hide_banner added, the preset options rewritten for today's ffmpeg
// and the picture filter chain of the source added; and a third form,
//   torvane --analyse [--cached] SOURCE...          (AnalyseCommand.h)
// that tells the picture's scan class and black bars, and a fourth,
//   torvane --tables SOURCE                        (TablesCommand.h)
// that writes a DVD's tables for a program that reads them in a child. A conversion writes into a
// hidden file beside the target that takes the target's name only when it has finished, so that an
// existing target means the conversion worked and a failed one leaves an earlier file as it was.
#include "AnalyseCommand.h"
#include "ChildProcess.h"
#include "Conversion.h"
#include "ConversionEnd.h"
#include "FileKind.h"
#include "LauncherCommand.h"
#include "PictureChain.h"
#include "PictureSource.h"
#include "PictureStep.h"
#include "SectorFaults.h"
#include "SourceInput.h"
#include "TableProbe.h"
#include "TablesChild.h"
#include "TablesCommand.h"
#include "TitleInput.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

constexpr int cannotStart = 127;

// This program's own file, for a child of its own.
std::string ownPath()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, std::size_t(length)) : std::string();
}

// A DVD title as the source: its probe is answered from the disc's tables,
// its conversion reads exactly the title's bytes. Answers the exit code, or
// -1 when the source names no title and the call goes on as for a file.
int runTitle(const LauncherCommand &command)
{
    const auto source = titles::parseTitleSource(command.source);
    if (!source || command.form == LauncherForm::Other)
        return -1;
    const bool convertForm = command.form == LauncherForm::Convert;
    const TitleInput input = prepareTitleInput(*source, convertForm ? command.target : "");
    if (!input.error.empty()) {
        if (convertForm)
            reportFailure(input.damagedTables ? outcome::Failure::DamagedTables
                                              : outcome::Failure::Other,
                          input.error);
        else
            std::fprintf(stderr, "torvane: %s\n", input.error.c_str());
        return 1;
    }
    if (!convertForm) {
        std::fputs(titleProbeText(command.source, *input.title).c_str(), stderr);
        return 1; // as ffmpeg's probe form, which has no output file
    }
    SourceInput prepared = titleSourceInput(input);
    if (input.feed && !prepared.feeder) {
        reportFailure(outcome::Failure::Other, prepared.note);
        return 1;
    }
    if (!input.note.empty())
        std::fprintf(stderr, "torvane: %s\n", input.note.c_str());
    LauncherCommand titleCommand = command;
    // Subtitles to burn in are laid over the picture inside its chain, whose
    // output then takes the place of the title's video stream.
    if (applyPictureStep(titleCommand, PictureSource::ofTitle(input.disc, *input.title),
                         input.overlay))
        mapPictureOutput(prepared.arguments);
    else if (!input.overlay.empty())
        std::fprintf(stderr, "torvane: the subtitles cannot be burned in: the picture is kept "
                             "as it is\n");
    // The title's own codec choices come after the preset's, and win.
    titleCommand.ffmpeg.insert(titleCommand.ffmpeg.end() - 1, input.codecOptions.begin(),
                               input.codecOptions.end());
    return runConversion(titleCommand, &prepared);
}

} // namespace

// Sectors to treat as unreadable, from the environment: how the damaged
// disc cases are tried.
void takeFailingSectors()
{
    const char *text = std::getenv(dvd::kFailingSectorsVariable);
    if (!text || !*text)
        return;
    if (const auto ranges = dvd::parseFailingSectors(text))
        dvd::setFailingSectors(*ranges);
    else
        std::fprintf(stderr, "torvane: %s is not a list of sector ranges: %s\n",
                     dvd::kFailingSectorsVariable, text);
}

int main(int argc, char **argv)
{
    takeFailingSectors();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments.front() == dvd::kTablesOption)
        return runTablesCommand(arguments);
    // Every other form has the tables read by a child of this launcher: a
    // damaged IFO that crashes the DVD library then leaves the title its
    // tables from the .BUP copies, and the probe its answer.
    dvd::readTablesInChild(ownPath());
    if (!arguments.empty() && arguments.front() == kAnalyseOption)
        return runAnalyseCommand({arguments.begin() + 1, arguments.end()});
    const LauncherCommand command = makeLauncherCommand(arguments);
    if (const int titleResult = runTitle(command); titleResult >= 0)
        return titleResult;
    if (command.form != LauncherForm::Other) {
        // ffmpeg would wait for ever on a FIFO or a device.
        if (const std::string refused = dvd::refusedFileReason(command.source); !refused.empty()) {
            std::fprintf(stderr, "torvane: %s\n", refused.c_str());
            return 1;
        }
    }
    if (command.form == LauncherForm::Convert) {
        LauncherCommand pictured = command;
        applyPictureStep(pictured, PictureSource::ofSource(command.source));
        return runConversion(pictured);
    }
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
