#pragma once

#include "DiscTypes.h"

#include <cstdint>
#include <vector>

namespace dvd
{

// Chooses the title a player plays as the film among a disc's titles, from
// what the disc's navigation reached and the titles' own tables.
class MainTitleChoice
{
public:
    // Titles this close to the longest count as about as long as it.
    static constexpr std::int64_t kSameLengthMs = 5000;

    MainTitleChoice(const std::vector<Title> &titles, const std::vector<TitleSet> &sets);

    // Whether title (a disc title number) can be the film: it has cells and
    // a length, its sectors lie inside its title set, and no earlier title
    // plays the same sectors.
    bool isCandidate(int title) const;
    // The candidate that plays the same sectors as title (title itself when
    // it is one), or 0.
    int candidateFor(int title) const;

    // Whether a title navigation reaches plays long enough to be the film
    // rather than a warning, a logo or a trailer: a third of the longest
    // candidate, or 20 minutes.
    bool playsAsFilm(int title) const;

    // The film: the candidate for the title navigation reached (0 when it
    // reached none) when that plays as a film, else the longest candidate, with a note when others
    // are about as long.
    MainTitle choose(int navigatedTitle) const;

private:
    const Title *find(int number) const;

    const std::vector<Title> &m_titles;
    std::vector<int> m_candidates; // in disc order
    std::int64_t m_longestMs = 0;
};

} // namespace dvd
