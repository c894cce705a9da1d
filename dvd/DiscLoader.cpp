#include "DiscLoader.h"

#include "ChainWalk.h"
#include "Disc.h"
#include "DiscFiles.h"
#include "Log.h"
#include "NavPackClock.h"
#include "TableAttributes.h"

#include <algorithm>
#include <cstdarg>
#include <filesystem>
#include <map>
#include <vector>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

namespace dvd
{

namespace
{

namespace fs = std::filesystem;

using IfoPtr = std::unique_ptr<ifo_handle_t, void (*)(ifo_handle_t *)>;

IfoPtr openIfo(dvd_reader_t *reader, int titleSet)
{
    return IfoPtr(ifoOpen(reader, titleSet), ifoClose);
}

void logFromLibrary(void *, dvd_logger_level_t level, const char *format, va_list args)
{
    LogLevel ours = LogLevel::Debug;
    switch (level) {
    case DVD_LOGGER_LEVEL_ERROR:
        ours = LogLevel::Error;
        break;
    case DVD_LOGGER_LEVEL_WARN:
        ours = LogLevel::Warning;
        break;
    case DVD_LOGGER_LEVEL_INFO:
        ours = LogLevel::Info;
        break;
    default:
        break;
    }
    logFormatted(ours, "libdvdread: ", format, args);
}

const dvd_logger_cb libraryLogger = {logFromLibrary};

TitleSet readTitleSet(dvd_reader_t *reader, int number, const ifo_handle_t &ifo,
                      const fs::path &videoFolder)
{
    TitleSet set;
    set.number = number;
    const vtsi_mat_t &mat = *ifo.vtsi_mat;
    set.video = videoFrom(mat.vts_video_attr);
    const ChainWalk walk(ifo);
    set.audio = audioStreams(mat, walk.chain(1), false);
    set.subtitles = subtitleStreams(mat, walk.chain(1), false);
    set.pieces = readPieces(reader, number, videoFolder);
    NavPackClock clock(reader, number, ifo.vts_vobu_admap);
    walk.splitCellsOverPieces(set.pieces,
                              [&clock](std::uint32_t sector) { return clock.elapsedAt(sector); });
    return set;
}

// A title whose title set's tables cannot be read: its numbers and why.
Title unreadableTitle(int number, const title_info_t &info, bool folder)
{
    Title title;
    title.number = number;
    title.titleSet = info.title_set_nr;
    title.titleInSet = info.vts_ttn;
    title.angles = std::max<int>(1, info.nr_of_angles);
    title.unreadable = folder ? "the title set's tables are damaged"
                              : "the title set's tables are damaged or lie past the end of "
                                "the image";
    return title;
}

// The first sector of every unit (VOBU) of a title set, ascending.
std::shared_ptr<const std::vector<std::uint32_t>> unitStarts(const vobu_admap_t *map)
{
    auto starts = std::make_shared<std::vector<std::uint32_t>>();
    if (map && map->vobu_start_sectors && map->last_byte + 1 >= VOBU_ADMAP_SIZE) {
        const std::size_t count = (map->last_byte + 1 - VOBU_ADMAP_SIZE) / 4;
        starts->assign(map->vobu_start_sectors, map->vobu_start_sectors + count);
        std::sort(starts->begin(), starts->end());
    }
    return starts;
}

OpenResult failure(OpenError error, std::string message)
{
    log(LogLevel::Warning, message);
    OpenResult result;
    result.error = error;
    result.message = std::move(message);
    return result;
}

} // namespace

std::shared_ptr<dvd_reader_s> DiscLoader::openReader(const std::string &path)
{
    return std::shared_ptr<dvd_reader_t>(DVDOpen2(nullptr, &libraryLogger, path.c_str()),
                                         [](dvd_reader_t *r) {
                                             if (r)
                                                 DVDClose(r);
                                         });
}

OpenResult DiscLoader::load(const std::string &source, const OpenOptions &options)
{
    std::error_code error;
    const fs::file_status status = fs::status(source, error);
    if (error || !fs::exists(status))
        return failure(OpenError::NotFound, "No such file or folder: " + source);
    if (const std::string refused = refusedSourceReason(source); !refused.empty())
        return failure(OpenError::Unreadable, refused);

    fs::path videoFolder;
    std::string openPath = source;
    if (fs::is_directory(status)) {
        videoFolder = findVideoFolder(source);
        if (videoFolder.empty())
            return failure(OpenError::NoTables,
                           "No DVD-Video tables (VIDEO_TS.IFO or VIDEO_TS.BUP) in " + source);
        openPath = videoFolder.string();
    }

    const std::string tablesPath =
        options.tablesFolder.empty() || videoFolder.empty() ? openPath : options.tablesFolder;
    std::shared_ptr<dvd_reader_t> reader = openReader(tablesPath);
    if (!reader)
        return failure(OpenError::Unreadable, "The DVD at " + source + " cannot be read");

    IfoPtr manager = openIfo(reader.get(), 0);
    if (!manager || !manager->tt_srpt || !manager->vmgi_mat) {
        if (videoFolder.empty())
            return failure(OpenError::NoTables, source + " holds no readable DVD-Video tables");
        return failure(OpenError::Damaged, "The DVD tables VIDEO_TS.IFO and VIDEO_TS.BUP in " +
                                               videoFolder.string() + " are damaged");
    }

    std::shared_ptr<Disc> disc(new Disc);
    disc->m_source = source;
    disc->m_reader = reader;

    std::map<int, IfoPtr> setTables;
    std::vector<int> damagedSets;
    const int setCount = manager->vmgi_mat->vmg_nr_of_title_sets;
    for (int n = 1; n <= setCount && n <= 99; ++n) {
        if (options.onlyTitleSet != 0 && n != options.onlyTitleSet)
            continue;
        IfoPtr ifo = openIfo(reader.get(), n);
        if (!ifo || !ifo->vtsi_mat) {
            log(LogLevel::Warning, "the tables of title set " + std::to_string(n) +
                                       " (and their copy) are damaged; its titles cannot be read");
            damagedSets.push_back(n);
            continue;
        }
        disc->m_titleSets.push_back(readTitleSet(reader.get(), n, *ifo, videoFolder));
        disc->m_unitStarts[n] = unitStarts(ifo->vts_vobu_admap);
        setTables.emplace(n, std::move(ifo));
    }
    if (disc->m_titleSets.empty() && setCount > 0 &&
        (options.onlyTitleSet == 0 || options.onlyTitleSet <= setCount))
        return failure(OpenError::Damaged,
                       "The title set tables of the DVD at " + source + " are all damaged");

    const tt_srpt_t &titles = *manager->tt_srpt;
    for (int i = 0; i < titles.nr_of_srpts; ++i) {
        const title_info_t &info = titles.title[i];
        const auto tables = setTables.find(info.title_set_nr);
        if (tables == setTables.end()) {
            // Listed with the reason, so that it does not vanish unexplained.
            if (std::find(damagedSets.begin(), damagedSets.end(), info.title_set_nr) !=
                damagedSets.end())
                disc->m_titles.push_back(unreadableTitle(i + 1, info, !videoFolder.empty()));
            continue;
        }
        TitleSet &set =
            *std::find_if(disc->m_titleSets.begin(), disc->m_titleSets.end(),
                          [&](const TitleSet &s) { return s.number == info.title_set_nr; });
        Title title;
        title.number = i + 1;
        title.titleSet = info.title_set_nr;
        title.titleInSet = info.vts_ttn;
        title.angles = std::max<int>(1, info.nr_of_angles);
        title.video = set.video;
        const ifo_handle_t &ifo = *tables->second;
        const ChainWalk walk(ifo);
        const pgc_t *chain = walk.firstChainOf(title.titleInSet);
        title.audio = audioStreams(*ifo.vtsi_mat, chain, true);
        title.subtitles = subtitleStreams(*ifo.vtsi_mat, chain, true);
        title.palette = paletteOf(chain);
        walk.readTitle(title);
        ChainWalk::mapToPieces(title, set.pieces);
        disc->m_titles.push_back(std::move(title));
    }
    disc->m_openPath = openPath;
    if (tablesPath != openPath) {
        // Sectors are read from the source itself, not through the links;
        // the identity comes from the tables that were read.
        disc->identity();
        disc->m_tablesPath = tablesPath;
        disc->m_reader.reset();
    }
    disc->m_allTitleSets = options.onlyTitleSet == 0;
    return OpenResult{disc, OpenError::None, {}};
}

} // namespace dvd
