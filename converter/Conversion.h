#pragma once

#include "LauncherCommand.h"

struct SourceInput;

// Runs the conversion form: ffmpeg writes into a hidden temporary file
// beside the target (TempTarget), its messages pass through the launcher
// unchanged while an OutputWatch reads along, and only a conversion that
// ended well and reported no output error takes the target's name. A failed
// one leaves an existing target as it was and ends with a line
//   torvane: conversion failed: <reason>
// Answers the launcher's exit status: ffmpeg's, 1 for a failure ffmpeg did
// not report by its status, 127 when ffmpeg could not be started.
// A prepared source (a DVD title) takes the place of "-i SOURCE" as it is.
int runConversion(const LauncherCommand &command, const SourceInput *prepared = nullptr);

// The message for an ffmpeg that could not be started.
void reportStartFailure(int error);
