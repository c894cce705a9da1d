#pragma once

#include "LauncherCommand.h"

#include <string>

struct PictureSource;

// Gives a conversion its picture chain (PictureChain.h): the source's scan
// class and bars from the cache, or from an analysis run now and kept, the
// user's settings from the environment, and the preset's options in the
// ffmpeg command rewritten. What was found and done goes to the log (the
// launcher's standard error). overlay is PictureRequest::overlay. Answers
// whether the chain became a filter graph whose picture is to be mapped by
// its label (PictureChain::complex, mapPictureOutput).
bool applyPictureStep(LauncherCommand &command, const PictureSource &source,
                      const std::string &overlay = {});
