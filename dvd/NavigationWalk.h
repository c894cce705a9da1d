#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace dvd
{

// Follows a disc's own navigation as a player would, without showing
// anything: from First Play through warnings, logos and menus (a title too
// short to be the film is skipped to the end of each cell), pressing the
// default button of each menu reached (another one when that only comes
// back), to the first title that plays as the film. Bounded, so that no disc
// can hold it: a damaged or looping disc ends the walk without an answer.
class NavigationWalk
{
public:
    struct Limits {
        std::int64_t blocks = 100000; // sectors read, about 200 MB
        int presses = 32;             // buttons pressed
        int chainEntries = 12;        // entries into any one program chain
        std::chrono::milliseconds time{10000};
    };

    // Whether a disc title reached plays as the film (rather than a
    // warning, a logo or a trailer, which the walk plays through).
    using PlaysAsFilm = std::function<bool(int title)>;

    // path: what libdvdread opens (a VIDEO_TS folder, a device, an image).
    NavigationWalk(std::string path, PlaysAsFilm playsAsFilm, Limits limits);

    // The disc title number navigation plays as the film, 0 when it reaches
    // none within the limits.
    int run();

    // How the last run ended, a sentence for the log.
    const std::string &outcome() const { return m_outcome; }

private:
    std::string m_path;
    PlaysAsFilm m_playsAsFilm;
    Limits m_limits;
    std::string m_outcome;
};

} // namespace dvd
