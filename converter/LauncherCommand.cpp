#include "LauncherCommand.h"

#include "ArgumentRewriter.h"
#include "AudioTimestamps.h"

LauncherCommand makeLauncherCommand(const std::vector<std::string> &arguments)
{
    LauncherCommand command;
    command.ffmpeg = {"ffmpeg", "-hide_banner"};
    const std::size_t count = arguments.size();

    if (count >= 4 && arguments[0] == "-y" && arguments[1] == "-i") {
        command.form = LauncherForm::Convert;
        command.source = arguments[2];
        command.target = arguments[count - 1];
        const std::vector<std::string> options(arguments.begin() + 3, arguments.end() - 1);
        command.ffmpeg.insert(command.ffmpeg.end(), {"-y", "-i", command.source});
        for (std::string &token : withMonotonicAudio(rewriteArguments(options)))
            command.ffmpeg.push_back(std::move(token));
        command.ffmpeg.push_back(command.target);
        return command;
    }

    if (count == 2 && arguments[0] == "-i") {
        command.form = LauncherForm::Probe;
        command.source = arguments[1];
    }
    command.ffmpeg.insert(command.ffmpeg.end(), arguments.begin(), arguments.end());
    return command;
}

void replaceInput(LauncherCommand &command, const std::vector<std::string> &inputArguments)
{
    std::vector<std::string> &argv = command.ffmpeg;
    for (std::size_t i = 0; i + 1 < argv.size(); ++i) {
        if (argv[i] == "-i" && argv[i + 1] == command.source) {
            argv.erase(argv.begin() + std::ptrdiff_t(i), argv.begin() + std::ptrdiff_t(i) + 2);
            argv.insert(argv.begin() + std::ptrdiff_t(i), inputArguments.begin(),
                        inputArguments.end());
            return;
        }
    }
}
