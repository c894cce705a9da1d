#pragma once

// Plain records of what a DVD-Video's own tables (its IFO files) say: titles,
// their streams and chapters, and the title files (VTS_nn_k.VOB pieces)
// their content lies in. Times are in milliseconds, byte offsets relative to
// the start of one piece file.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dvd
{

// Bytes every DVD sector (and every MPEG pack on a DVD) holds.
inline constexpr std::int64_t sectorSize = 2048;

// The extension of a DVD's title files (VTS_nn_k.VOB), in capitals as discs
// store their names.
inline constexpr std::string_view titleExtension = ".VOB";

enum class VideoStandard { Pal, Ntsc };

// The picture of a title set, as its table describes it.
struct VideoInfo {
    VideoStandard standard = VideoStandard::Pal;
    int width = 720;   // 720, 704, 352
    int height = 576;  // 576 (PAL) or 480 (NTSC)
    int aspectNum = 4; // display aspect: 4:3 or 16:9
    int aspectDen = 3;
    bool mpeg1 = false; // MPEG-1 video instead of MPEG-2
};

enum class AudioCodec { Ac3, Mpeg1, Mpeg2, Lpcm, Dts, Unknown };

// What an audio stream holds, as its table says.
enum class AudioContent {
    Unspecified,
    Normal,
    VisuallyImpaired, // audio description
    Commentary,       // director's comments
    SecondCommentary, // the other director's comments
};

struct AudioStream {
    std::string language; // ISO 639-1 code such as "en", empty when none is given
    AudioCodec codec = AudioCodec::Unknown;
    int channels = 2;
    int sampleRate = 48000;
    // The stream id ffmpeg shows for it in a VOB: 0x80 + n for AC-3, 0x88 + n
    // for DTS, 0xa0 + n for LPCM (substreams of private stream 1), 0x1c0 + n
    // for MPEG audio.
    int streamId = 0;
    AudioContent content = AudioContent::Unspecified;
};

// What a subpicture stream holds, as its table says.
enum class SubtitleContent {
    Unspecified,
    Normal,
    Large,
    Children,
    NormalCaptions,
    LargeCaptions,
    ChildrenCaptions,
    Forced,
    Commentary,
    LargeCommentary,
    ChildrenCommentary,
};

struct SubtitleStream {
    std::string language; // ISO 639-1 code, empty when none is given
    SubtitleContent content = SubtitleContent::Unspecified;
    // The stream id ffmpeg shows for it in a VOB: 0x20 + n, a substream of
    // private stream 1.
    int streamId = 0x20;
};

// The 16 colours a program chain gives its subpictures, each 0x00YYCrCb.
using Palette = std::array<std::uint32_t, 16>;

// A run of whole sectors [firstSector, lastSector] inside the title VOBs of
// one title set, counted from the first sector of VTS_nn_1.VOB.
struct SectorRange {
    std::uint32_t firstSector = 0;
    std::uint32_t lastSector = 0;
};

// Bytes [start, end) of one piece file.
struct ByteRange {
    std::string path; // the piece file, as found below the opened source
    std::int64_t start = 0;
    std::int64_t end = 0;
};

struct Chapter {
    std::int64_t startMs = 0; // from the start of the title
};

struct Title {
    int number = 0;     // the disc's title number, from 1
    int titleSet = 0;   // VTS number, from 1
    int titleInSet = 0; // title number inside its title set, from 1
    std::int64_t durationMs = 0;
    std::vector<Chapter> chapters;
    int angles = 1;
    VideoInfo video;
    // The streams with the ids of the title's own program chain.
    std::vector<AudioStream> audio;
    std::vector<SubtitleStream> subtitles;
    Palette palette{}; // of the title's first program chain
    // The title's content in play order (first angle), in title-set sectors
    // and as byte ranges of the piece files.
    std::vector<SectorRange> sectors;
    std::vector<ByteRange> ranges;
    // Why the title cannot be read ("the title set's tables are damaged"),
    // empty when it can; such a title carries only its numbers.
    std::string unreadable;
};

// One VTS_nn_k.VOB file holding titles (k from 1 to 9).
struct Piece {
    int titleSet = 0;
    int number = 0;   // k
    std::string path; // as found below the opened source; empty inside an image
    std::int64_t sizeBytes = 0;
    std::uint32_t firstSector = 0; // title-set sector of its first byte
    // Play time of the content it holds: the cells in it, a cell crossing a
    // piece boundary split at the elapsed time of the unit at the boundary.
    std::int64_t durationMs = 0;
    std::vector<int> titles; // disc title numbers with content in this piece
};

struct TitleSet {
    int number = 0;
    VideoInfo video;
    // The streams with the ids of the set's first program chain.
    std::vector<AudioStream> audio;
    std::vector<SubtitleStream> subtitles;
    std::vector<Piece> pieces;
};

// The title a player plays as the film.
struct MainTitle {
    int number = 0;              // the disc's title number, 0 when the disc has no title
    bool fromNavigation = false; // reached by following the disc's own navigation
    // A sentence for the user when the choice is uncertain (several titles
    // of about the same length and none reached by navigation), else empty.
    std::string note;
};

} // namespace dvd
