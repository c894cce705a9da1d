#include "MainTitleChoice.h"

#include <algorithm>
#include <string>

namespace dvd
{

namespace
{

constexpr std::int64_t kFilmAtLeastMs = 20 * 60 * 1000;

bool liesInSet(const Title &title, const std::vector<TitleSet> &sets)
{
    const auto set = std::find_if(sets.begin(), sets.end(),
                                  [&](const TitleSet &s) { return s.number == title.titleSet; });
    if (set == sets.end())
        return false;
    std::int64_t sectors = 0;
    for (const Piece &piece : set->pieces)
        sectors += piece.sizeBytes / sectorSize;
    return std::all_of(title.sectors.begin(), title.sectors.end(),
                       [&](const SectorRange &range) { return range.lastSector < sectors; });
}

bool sameSectors(const Title &a, const Title &b)
{
    return a.titleSet == b.titleSet &&
           std::equal(a.sectors.begin(), a.sectors.end(), b.sectors.begin(), b.sectors.end(),
                      [](const SectorRange &x, const SectorRange &y) {
                          return x.firstSector == y.firstSector && x.lastSector == y.lastSector;
                      });
}

std::string listOfNumbers(const std::vector<int> &numbers)
{
    std::string text;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            text += i + 1 == numbers.size() ? " and " : ", ";
        text += std::to_string(numbers[i]);
    }
    return text;
}

} // namespace

MainTitleChoice::MainTitleChoice(const std::vector<Title> &titles,
                                 const std::vector<TitleSet> &sets)
    : m_titles(titles)
{
    std::vector<const Title *> kept;
    for (const Title &title : titles) {
        if (title.sectors.empty() || title.durationMs <= 0 || !liesInSet(title, sets))
            continue;
        if (std::any_of(kept.begin(), kept.end(),
                        [&](const Title *earlier) { return sameSectors(*earlier, title); }))
            continue;
        kept.push_back(&title);
        m_candidates.push_back(title.number);
        m_longestMs = std::max(m_longestMs, title.durationMs);
    }
}

const Title *MainTitleChoice::find(int number) const
{
    const auto it = std::find_if(m_titles.begin(), m_titles.end(),
                                 [&](const Title &t) { return t.number == number; });
    return it == m_titles.end() ? nullptr : &*it;
}

bool MainTitleChoice::isCandidate(int title) const
{
    return std::find(m_candidates.begin(), m_candidates.end(), title) != m_candidates.end();
}

int MainTitleChoice::candidateFor(int title) const
{
    const Title *given = find(title);
    for (int number : m_candidates) {
        if (given && sameSectors(*find(number), *given))
            return number;
    }
    return 0;
}

bool MainTitleChoice::playsAsFilm(int title) const
{
    const Title *found = find(candidateFor(title));
    return found && found->durationMs >= std::min(kFilmAtLeastMs, m_longestMs / 3);
}

MainTitle MainTitleChoice::choose(int navigatedTitle) const
{
    MainTitle main;
    main.number = playsAsFilm(navigatedTitle) ? candidateFor(navigatedTitle) : 0;
    if (main.number != 0) {
        main.fromNavigation = true;
        return main;
    }
    std::vector<int> aboutAsLong;
    for (int number : m_candidates) {
        const Title *title = find(number);
        if (title->durationMs + kSameLengthMs >= m_longestMs)
            aboutAsLong.push_back(number);
        if (title->durationMs == m_longestMs && main.number == 0)
            main.number = number;
    }
    if (aboutAsLong.size() > 1)
        main.note = "Titles " + listOfNumbers(aboutAsLong) +
                    " are about as long as each other; title " + std::to_string(main.number) +
                    " is taken as the main title";
    return main;
}

} // namespace dvd
