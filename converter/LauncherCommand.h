#pragma once

#include <string>
#include <vector>

// How the launcher was called.
enum class LauncherForm {
    Probe,   // torvane -i SOURCE
    Convert, // torvane -y -i SOURCE <preset options...> TARGET
    Other,   // anything else: handed to ffmpeg as it is
};

// What the launcher runs for one call.
struct LauncherCommand {
    LauncherForm form = LauncherForm::Other;
    std::string source;              // Probe and Convert
    std::string target;              // Convert only
    std::vector<std::string> ffmpeg; // ffmpeg's argument vector, "ffmpeg" first
};

// Works out the form of a call from the launcher's arguments (without the
// program name) and the ffmpeg command that serves it: -hide_banner first,
// then the arguments, where in the conversion form the preset options
// between source and target are rewritten for today's ffmpeg and given
// steadily rising audio timestamps (withMonotonicAudio). The source and the
// target are passed on exactly as given.
LauncherCommand makeLauncherCommand(const std::vector<std::string> &arguments);

// Puts inputArguments in the place of the "-i SOURCE" pair of the ffmpeg
// command of a conversion.
void replaceInput(LauncherCommand &command, const std::vector<std::string> &inputArguments);

// The preset's options of a conversion's ffmpeg command (after "-i SOURCE",
// before the target), as makeLauncherCommand made them, and their
// replacement; before replaceInput.
std::vector<std::string> presetOptions(const LauncherCommand &command);
void replacePresetOptions(LauncherCommand &command, const std::vector<std::string> &options);
