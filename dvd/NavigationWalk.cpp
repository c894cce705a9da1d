#include "NavigationWalk.h"

#include "Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

#include <dvdnav/dvdnav.h>

namespace dvd
{

namespace
{

void logFromLibrary(void *, dvdnav_logger_level_t level, const char *format, va_list args)
{
    const LogLevel ours = level == DVDNAV_LOGGER_LEVEL_ERROR  ? LogLevel::Error
                          : level == DVDNAV_LOGGER_LEVEL_WARN ? LogLevel::Warning
                                                              : LogLevel::Debug;
    logFormatted(ours, "libdvdnav: ", format, args);
}

const dvdnav_logger_cb libraryLogger = {logFromLibrary};

using NavPtr = std::unique_ptr<dvdnav_t, dvdnav_status_t (*)(dvdnav_t *)>;

// Where the virtual machine plays: menus (of the disc or of a title set)
// or a title, the title set and the program chain.
struct Place {
    int domain = 0; // 0 First Play, 1 disc menu, 2 title set menu, 3 title
    int titleSet = 0;
    int chain = 0;
    bool operator<(const Place &other) const
    {
        return std::tie(domain, titleSet, chain) <
               std::tie(other.domain, other.titleSet, other.chain);
    }
    bool operator==(const Place &other) const
    {
        return std::tie(domain, titleSet, chain) ==
               std::tie(other.domain, other.titleSet, other.chain);
    }
};

Place placeOf(dvdnav_t *nav, int titleSet)
{
    Place place;
    place.domain = dvdnav_is_domain_vts(nav)    ? 3
                   : dvdnav_is_domain_vtsm(nav) ? 2
                   : dvdnav_is_domain_vmgm(nav) ? 1
                                                : 0;
    place.titleSet = place.domain >= 2 ? titleSet : 0;
    std::int32_t title = 0, chain = 0, program = 0;
    if (dvdnav_current_title_program(nav, &title, &chain, &program) == DVDNAV_STATUS_OK)
        place.chain = chain;
    return place;
}

// The button to press in a menu: its forcedly selected or highlighted
// button first, then the others in order, each once; 0 when all were.
int buttonToPress(dvdnav_t *nav, const pci_t &pci, std::set<int> &pressed)
{
    const int count = pci.hli.hl_gi.btn_ns & 0x3f;
    std::int32_t highlighted = 0;
    dvdnav_get_current_highlight(nav, &highlighted);
    std::vector<int> order;
    if (const int forced = pci.hli.hl_gi.fosl_btnn & 0x3f)
        order.push_back(forced);
    order.push_back(highlighted);
    for (int b = 1; b <= count; ++b)
        order.push_back(b);
    for (int b : order) {
        if (b >= 1 && b <= count && pressed.insert(b).second)
            return b;
    }
    return 0;
}

} // namespace

NavigationWalk::NavigationWalk(std::string path, PlaysAsFilm playsAsFilm, Limits limits)
    : m_path(std::move(path)), m_playsAsFilm(std::move(playsAsFilm)), m_limits(limits)
{
}

int NavigationWalk::run()
{
    dvdnav_t *opened = nullptr;
    if (dvdnav_open2(&opened, nullptr, &libraryLogger, m_path.c_str()) != DVDNAV_STATUS_OK) {
        m_outcome = "the disc's navigation cannot be read";
        if (opened)
            dvdnav_close(opened);
        return 0;
    }
    NavPtr nav(opened, dvdnav_close);
    dvdnav_set_readahead_flag(nav.get(), 0);
    dvdnav_set_PGC_positioning_flag(nav.get(), 1);

    const auto deadline = std::chrono::steady_clock::now() + m_limits.time;
    std::vector<std::uint8_t> block(DVD_VIDEO_LB_LEN);
    std::map<Place, int> entries;
    std::map<Place, std::set<int>> pressed;
    std::set<int> titlesPlayed;
    std::optional<std::pair<Place, int>> sought; // the cell a seek went into
    std::int64_t blocks = 0;
    int presses = 0;
    int titleSet = 0;
    for (;;) {
        if (++blocks > m_limits.blocks) {
            m_outcome = "the walk read as many blocks as it may";
            return 0;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            m_outcome = "the walk took as long as it may";
            return 0;
        }
        std::int32_t event = 0, length = 0;
        if (dvdnav_get_next_block(nav.get(), block.data(), &event, &length) != DVDNAV_STATUS_OK) {
            m_outcome =
                std::string("the disc's navigation failed: ") + dvdnav_err_to_string(nav.get());
            return 0;
        }
        switch (event) {
        case DVDNAV_VTS_CHANGE: {
            dvdnav_vts_change_event_t change;
            std::memcpy(&change, block.data(), sizeof change);
            titleSet = change.new_vtsN;
            break;
        }
        case DVDNAV_CELL_CHANGE: {
            dvdnav_cell_change_event_t cell;
            std::memcpy(&cell, block.data(), sizeof cell);
            const Place place = placeOf(nav.get(), titleSet);
            // A seek inside a cell announces the cell again.
            if (sought && sought->first == place && sought->second == cell.cellN) {
                sought.reset();
                break;
            }
            sought.reset();
            if (cell.cellN == 1 && ++entries[place] > m_limits.chainEntries) {
                m_outcome = "the disc's navigation goes round in a loop";
                return 0;
            }
            std::int32_t title = 0, part = 0;
            if (place.domain != 3 ||
                dvdnav_current_title_info(nav.get(), &title, &part) != DVDNAV_STATUS_OK ||
                title <= 0)
                break;
            if (titlesPlayed.insert(title).second) {
                if (m_playsAsFilm(title)) {
                    m_outcome = "navigation plays title " + std::to_string(title) + " after " +
                                std::to_string(blocks) + " blocks";
                    return title;
                }
                log(LogLevel::Debug,
                    "navigation plays title " + std::to_string(title) + ", too short for the film");
            }
            // Straight on to the last unit of the cell (its commands follow
            // the cell), rather than reading a warning or a trailer through.
            if (cell.cell_length > 1 &&
                dvdnav_sector_search(nav.get(), cell.cell_start + cell.cell_length - 1, SEEK_SET) ==
                    DVDNAV_STATUS_OK)
                sought = std::make_pair(place, cell.cellN);
            break;
        }
        case DVDNAV_NAV_PACKET: {
            const Place place = placeOf(nav.get(), titleSet);
            pci_t *pci = dvdnav_get_current_nav_pci(nav.get());
            if (!pci || !(pci->hli.hl_gi.hli_ss & 3) || (pci->hli.hl_gi.btn_ns & 0x3f) == 0)
                break;
            const int button = buttonToPress(nav.get(), *pci, pressed[place]);
            if (button == 0)
                break;
            if (++presses > m_limits.presses) {
                m_outcome = "the walk pressed as many buttons as it may";
                return 0;
            }
            log(LogLevel::Debug, "navigation presses button " + std::to_string(button));
            dvdnav_button_select_and_activate(nav.get(), pci, button);
            break;
        }
        case DVDNAV_STILL_FRAME:
            dvdnav_still_skip(nav.get());
            break;
        case DVDNAV_WAIT:
            dvdnav_wait_skip(nav.get());
            break;
        case DVDNAV_STOP:
            m_outcome = "the disc's navigation stops without playing the film";
            return 0;
        default:
            break;
        }
    }
}

} // namespace dvd
