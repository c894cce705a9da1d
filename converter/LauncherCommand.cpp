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

namespace
{

// The place of the first preset option in a conversion's ffmpeg command, or
// 0 when it has none.
std::size_t firstPresetOption(const LauncherCommand &command)
{
    const std::vector<std::string> &argv = command.ffmpeg;
    if (command.form != LauncherForm::Convert)
        return 0;
    for (std::size_t i = 0; i + 2 < argv.size(); ++i)
        if (argv[i] == "-i" && argv[i + 1] == command.source)
            return i + 2;
    return 0;
}

} // namespace

std::vector<std::string> presetOptions(const LauncherCommand &command)
{
    const std::size_t first = firstPresetOption(command);
    if (first == 0)
        return {};
    return {command.ffmpeg.begin() + std::ptrdiff_t(first), command.ffmpeg.end() - 1};
}

void replacePresetOptions(LauncherCommand &command, const std::vector<std::string> &options)
{
    const std::size_t first = firstPresetOption(command);
    if (first == 0)
        return;
    std::vector<std::string> &argv = command.ffmpeg;
    argv.erase(argv.begin() + std::ptrdiff_t(first), argv.end() - 1);
    argv.insert(argv.end() - 1, options.begin(), options.end());
}
