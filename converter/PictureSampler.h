#pragma once

#include "ScanAnalysis.h"

#include <memory>
#include <string>
#include <vector>

namespace dvd
{
class Disc;
struct SectorRange;
} // namespace dvd

// Runs ffmpeg's interlace detection (idet) and black-bar detection
// (cropdetect) over a few short samples spread over a source, one ffmpeg run
// each, and answers what each found. A sample that ffmpeg cannot read gives
// no findings; a stop signal to the launcher ends the sampling and sets
// stopped.
class PictureSampler
{
public:
    // This many samples, at even steps through the source.
    static constexpr int kSamples = 5;
    // Each sample of a DVD title is this many sectors (2 MiB, some seconds
    // of video); a title of less than five is read whole, as one sample.
    static constexpr std::int64_t kSampleSectors = 1024;
    // Each sample of a file is this many seconds.
    static constexpr double kSampleSeconds = 2.0;

    // Samples of a title set's sectors (a title, or a title file), read
    // through libdvdread; the pictures' own flags are counted into flags.
    static std::vector<SampleFindings> sampleSectors(const dvd::Disc &disc, int titleSet,
                                                     const std::vector<dvd::SectorRange> &ranges,
                                                     PictureFlags &flags, bool &stopped);

    // Samples of any file ffmpeg reads, durationSeconds long (0 when not
    // known: the file is read whole).
    static std::vector<SampleFindings> sampleFile(const std::string &path, double durationSeconds,
                                                  bool &stopped);

private:
    // Runs one sample; input is ffmpeg's input options, fd the descriptor it
    // reads as /dev/fd/3 or -1. False when the launcher was asked to stop.
    static bool runSample(const std::vector<std::string> &input, int fd,
                          std::vector<SampleFindings> &findings);
};
