#include "ScanAnalysis.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace
{

// idet needs this many frames it can tell before its verdict counts.
constexpr int kFewestToldFrames = 10;
constexpr double kInterlacedShare = 1.0 / 3;
constexpr double kTelecineRepeatShare = 0.2;
constexpr double kFlaggedWholeShare = 0.95;
constexpr double kWovenDespiteFlags = 0.9;
// Edges within this many pixels are the same bars.
constexpr int kEdgeTolerance = 4;
// Bars narrower than this on every side are no bars.
constexpr int kLeastBar = 4;

// The number after "label" (blanks skipped) in line, or 0.
int numberAfter(std::string_view line, std::string_view label)
{
    const std::size_t at = line.find(label);
    if (at == std::string_view::npos)
        return 0;
    std::size_t start = at + label.size();
    while (start < line.size() && line[start] == ' ')
        ++start;
    int value = 0;
    std::from_chars(line.data() + start, line.data() + line.size(), value);
    return value;
}

bool sameEdges(const Crop &a, const Crop &b)
{
    return std::abs(a.x - b.x) <= kEdgeTolerance && std::abs(a.y - b.y) <= kEdgeTolerance &&
           std::abs((a.x + a.width) - (b.x + b.width)) <= kEdgeTolerance &&
           std::abs((a.y + a.height) - (b.y + b.height)) <= kEdgeTolerance;
}

// A crop that can be the picture of a frame of this size: inside it, and
// not so small that the sample was black or nearly so.
bool plausible(const Crop &crop, int width, int height)
{
    return crop.x + crop.width <= width && crop.y + crop.height <= height &&
           crop.width * 3 >= width && crop.height * 3 >= height;
}

} // namespace

SampleFindings parseSampleOutput(std::string_view text)
{
    SampleFindings findings;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.find("Multi frame detection:") != std::string_view::npos) {
            findings.topFirst = numberAfter(line, "TFF:");
            findings.bottomFirst = numberAfter(line, "BFF:");
            findings.progressive = numberAfter(line, "Progressive:");
            findings.undetermined = numberAfter(line, "Undetermined:");
        } else if (line.find("Repeated Fields:") != std::string_view::npos) {
            findings.repeatedNeither = numberAfter(line, "Neither:");
            findings.repeatedTop = numberAfter(line, "Top:");
            findings.repeatedBottom = numberAfter(line, "Bottom:");
        } else if (const std::size_t crop = line.rfind("crop="); crop != std::string_view::npos) {
            std::string_view value = line.substr(crop + 5);
            value = value.substr(0, value.find(' '));
            if (const std::optional<Crop> found = Crop::parse(value))
                findings.crop = found;
        }
    }
    return findings;
}

void countPictureFlags(const std::uint8_t *data, std::size_t size, PictureFlags &flags)
{
    for (std::size_t i = 0; i + 9 < size; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1 || data[i + 3] != 0xb5)
            continue;
        const std::uint8_t *extension = data + i + 4;
        const int id = extension[0] >> 4;
        if (id == 1) {
            // Sequence extension: profile and level, then progressive_sequence.
            flags.progressiveSequence = (extension[1] & 0x08) != 0;
        } else if (id == 8) {
            // Picture coding extension: f_codes, DC precision and picture
            // structure, then the flag bytes; repeat_first_field is the second
            // lowest bit of the fourth byte, progressive_frame the top bit of
            // the fifth.
            ++flags.pictures;
            if (extension[3] & 0x02)
                ++flags.repeatedFields;
            if (extension[4] & 0x80)
                ++flags.progressiveFrames;
        }
    }
}

ScanClass classifyScan(const std::vector<SampleFindings> &samples, const PictureFlags &flags,
                       const Ratio &rate)
{
    long woven = 0;
    long whole = 0;
    long frames = 0;
    long repeated = 0;
    for (const SampleFindings &sample : samples) {
        woven += sample.topFirst + sample.bottomFirst;
        whole += sample.progressive;
        frames += sample.repeatedNeither + sample.repeatedTop + sample.repeatedBottom;
        repeated += sample.repeatedTop + sample.repeatedBottom;
    }
    const bool videoRate = std::abs(rate.value() - 29.97) < 0.1;
    if (videoRate && frames >= kFewestToldFrames && repeated >= frames * kTelecineRepeatShare)
        return ScanClass::Telecined;
    const bool flaggedWhole =
        flags.progressiveSequence ||
        (flags.pictures > 0 && flags.progressiveFrames >= flags.pictures * kFlaggedWholeShare);
    if (woven + whole >= kFewestToldFrames) {
        const double share = double(woven) / double(woven + whole);
        // Fine horizontal detail looks woven to idet too; pictures the stream
        // flags as whole count as woven only when nearly every frame is.
        const double needed = flaggedWhole ? kWovenDespiteFlags : kInterlacedShare;
        return share >= needed ? ScanClass::Interlaced : ScanClass::Progressive;
    }
    if (flaggedWhole)
        return ScanClass::Progressive;
    return flags.pictures > 0 ? ScanClass::Interlaced : ScanClass::Unknown;
}

bool hasPulldownFlags(const PictureFlags &flags)
{
    if (flags.pictures < kFewestToldFrames)
        return false;
    const double whole = double(flags.progressiveFrames) / flags.pictures;
    const double repeated = double(flags.repeatedFields) / flags.pictures;
    return whole >= 0.9 && repeated >= 0.3 && repeated <= 0.7;
}

std::optional<Crop> agreedBars(const std::vector<SampleFindings> &samples, int width, int height)
{
    std::vector<Crop> answers;
    for (const SampleFindings &sample : samples)
        if (sample.crop && plausible(*sample.crop, width, height))
            answers.push_back(*sample.crop);
    std::optional<Crop> best;
    std::size_t bestVotes = 0;
    for (const Crop &candidate : answers) {
        Crop extent = candidate;
        std::size_t votes = 0;
        for (const Crop &other : answers) {
            if (!sameEdges(candidate, other))
                continue;
            ++votes;
            const int right = std::max(extent.x + extent.width, other.x + other.width);
            const int bottom = std::max(extent.y + extent.height, other.y + other.height);
            extent.x = std::min(extent.x, other.x);
            extent.y = std::min(extent.y, other.y);
            extent.width = right - extent.x;
            extent.height = bottom - extent.y;
        }
        if (votes > bestVotes) {
            bestVotes = votes;
            best = extent;
        }
    }
    if (!best || bestVotes * 2 <= answers.size())
        return std::nullopt;
    const int right = width - best->x - best->width;
    const int bottom = height - best->y - best->height;
    if (std::max({best->x, best->y, right, bottom}) < kLeastBar)
        return std::nullopt;
    return best;
}

PictureAnalysis analysePicture(const std::vector<SampleFindings> &samples,
                               const PictureFlags &flags, const Ratio &rate, int width, int height)
{
    PictureAnalysis analysis;
    analysis.scan = classifyScan(samples, flags, rate);
    analysis.bars = agreedBars(samples, width, height);
    analysis.pulldownFlags = analysis.scan == ScanClass::Progressive && hasPulldownFlags(flags);
    SampleFindings sum;
    int crops = 0;
    for (const SampleFindings &sample : samples) {
        sum.topFirst += sample.topFirst;
        sum.bottomFirst += sample.bottomFirst;
        sum.progressive += sample.progressive;
        sum.undetermined += sample.undetermined;
        sum.repeatedTop += sample.repeatedTop;
        sum.repeatedBottom += sample.repeatedBottom;
        crops += sample.crop ? 1 : 0;
    }
    analysis.details =
        std::to_string(samples.size()) + " samples: woven " +
        std::to_string(sum.topFirst + sum.bottomFirst) + ", whole " +
        std::to_string(sum.progressive) + ", not told " + std::to_string(sum.undetermined) +
        ", repeated fields " + std::to_string(sum.repeatedTop + sum.repeatedBottom) + "; " +
        std::to_string(flags.pictures) + " pictures, " + std::to_string(flags.progressiveFrames) +
        " flagged whole, " + std::to_string(flags.repeatedFields) + " with a repeated field; " +
        std::to_string(crops) + " crop answers";
    return analysis;
}
