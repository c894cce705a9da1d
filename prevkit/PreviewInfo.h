// PreviewInfo: what the player learns about a title when it opens it.
#pragma once

namespace prevkit
{

struct PreviewInfo {
    double duration = -1; // seconds; negative when unknown
    double frameInterval = 0.04;
    bool sound = false; // the title's sound is being played
};

} // namespace prevkit
