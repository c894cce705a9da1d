#include "TitleStreams.h"

#include "DiscTypes.h"
#include "LanguageCode.h"
#include "TableAttributes.h"
#include "TrackRule.h"

#include <cstdio>
#include <filesystem>

namespace
{

std::string lowerExtension(const std::string &path)
{
    std::string lower;
    for (const char c : std::filesystem::path(path).extension().string())
        lower += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return lower;
}

std::string hexId(int id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

bool isPresent(const std::set<int> *present, int id)
{
    return !present || present->count(id) > 0;
}

// The input's stream of that id; optional where its presence is not known.
std::string streamOf(int id, const std::set<int> *present)
{
    return "0:i:" + hexId(id) + (present ? "" : "?");
}

// The title's palette as the subtitle codecs take it: 16 RRGGBB entries.
std::string paletteText(const dvd::Palette &palette)
{
    std::string text;
    for (const std::uint32_t entry : palette) {
        char rgb[8];
        std::snprintf(rgb, sizeof rgb, "%06x", unsigned(dvd::rgbFromPaletteEntry(entry)));
        text += (text.empty() ? "" : ",") + std::string(rgb);
    }
    return text;
}

bool hasPalette(const dvd::Palette &palette)
{
    for (const std::uint32_t entry : palette) {
        if (entry != 0)
            return true;
    }
    return false;
}

void add(std::vector<std::string> &to, std::initializer_list<std::string> tokens)
{
    to.insert(to.end(), tokens);
}

void planAudio(const dvd::Title &title, const std::vector<int> &tracks,
               const TargetContainer &container, const std::set<int> *present,
               TitleStreams &streams)
{
    int output = 0;
    for (const int track : tracks) {
        const dvd::AudioStream &audio = title.audio[std::size_t(track)];
        if (!isPresent(present, audio.streamId))
            continue;
        const std::string index = std::to_string(output++);
        add(streams.streamOptions,
            {"-map", streamOf(audio.streamId, present), "-metadata:s:a:" + index,
             "language=" + titles::languageCode3(audio.language)});
        if (container.subtitleTracks) {
            add(streams.streamOptions, {"-disposition:a:" + index, output == 1 ? "default" : "0"});
            if (audio.codec == dvd::AudioCodec::Lpcm)
                add(streams.codecOptions, {"-c:a:" + index, "flac"});
        }
        if (!container.severalAudio)
            return;
    }
}

// Every subtitle stream as a track; the one shown by default flagged so.
void planSubtitleTracks(const dvd::Title &title, const titles::SubtitleBurn &shown,
                        const std::set<int> *present, TitleStreams &streams)
{
    int output = 0;
    for (int i = 0; i < int(title.subtitles.size()); ++i) {
        const dvd::SubtitleStream &subtitle = title.subtitles[std::size_t(i)];
        if (!isPresent(present, subtitle.streamId))
            continue;
        const std::string index = std::to_string(output++);
        // The forced pictures of a whole stream are no reason to show it all.
        std::string disposition = i == shown.stream && !shown.forcedOnly ? "default" : "";
        if (subtitle.content == dvd::SubtitleContent::Forced)
            disposition += disposition.empty() ? "forced" : "+forced";
        add(streams.streamOptions,
            {"-map", streamOf(subtitle.streamId, present), "-metadata:s:s:" + index,
             "language=" + titles::languageCode3(subtitle.language), "-disposition:s:" + index,
             disposition.empty() ? "0" : disposition});
    }
    if (output == 0)
        return;
    // The encoder draws the pictures on a canvas of the title's frame.
    add(streams.streamOptions,
        {"-s:s", std::to_string(title.video.width) + 'x' + std::to_string(title.video.height)});
    if (hasPalette(title.palette))
        add(streams.streamOptions, {"-palette:s", paletteText(title.palette)});
    streams.subtitleTracks = output;
}

} // namespace

TargetContainer targetContainer(const std::string &target)
{
    const std::string extension = lowerExtension(target);
    TargetContainer container;
    container.subtitleTracks = extension == ".mkv";
    container.chapters = container.subtitleTracks || extension == ".mp4" || extension == ".m4v" ||
                         extension == ".mov";
    container.severalAudio = container.chapters;
    container.sameLengths = extension == ".dv";
    return container;
}

TitleStreams planTitleStreams(const dvd::Title &title, const titles::TrackChoice &choice,
                              const TargetContainer &container, const std::string &fallbackLanguage,
                              const std::set<int> *present)
{
    TitleStreams streams;
    streams.streamOptions = {"-map", "0:v:0"};
    if (container.subtitleTracks)
        add(streams.streamOptions, {"-disposition:v:0", "default"});
    const std::vector<int> tracks =
        titles::chosenAudioTracks(title.audio, choice, fallbackLanguage, container.subtitleTracks);
    planAudio(title, tracks, container, present, streams);

    const std::string language =
        tracks.empty() ? std::string() : title.audio[std::size_t(tracks.front())].language;
    const titles::SubtitleBurn burn = titles::burnedSubtitles(title.subtitles, choice, language);
    if (container.subtitleTracks) {
        if (choice.subtitles != titles::TrackChoice::Subtitles::None)
            planSubtitleTracks(title, burn, present, streams);
    } else if (burn.stream >= 0 && !container.sameLengths &&
               isPresent(present, title.subtitles[std::size_t(burn.stream)].streamId)) {
        streams.overlay = "0:i:" + hexId(title.subtitles[std::size_t(burn.stream)].streamId);
    }
    const bool subtitles = !streams.overlay.empty() || streams.subtitleTracks > 0;
    if (subtitles) {
        const std::string reach = std::to_string(kSubtitleProbeBytes);
        add(streams.inputOptions, {"-probesize", reach, "-analyzeduration", reach});
    }
    if (!streams.overlay.empty() && burn.forcedOnly)
        add(streams.inputOptions, {"-forced_subs_only", "1"});
    if (subtitles && hasPalette(title.palette))
        add(streams.inputOptions, {"-palette", paletteText(title.palette)});
    // Matroska wants a time on every packet, which a stream copy of a DVD's
    // video does not have on its own.
    if (container.subtitleTracks)
        add(streams.inputOptions, {"-fflags", "+genpts"});
    return streams;
}

bool mapsSubtitles(const dvd::Title &title, const titles::TrackChoice &choice,
                   const TargetContainer &container, const std::string &fallbackLanguage)
{
    const TitleStreams streams = planTitleStreams(title, choice, container, fallbackLanguage);
    return !streams.overlay.empty() || (container.subtitleTracks && !title.subtitles.empty() &&
                                        choice.subtitles != titles::TrackChoice::Subtitles::None);
}
