#pragma once

#include "PictureFacts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What ffmpeg's idet and cropdetect report for one short sample of a source.
struct SampleFindings {
    // idet's multi-frame detection: frames woven top or bottom field first,
    // whole, and not told.
    int topFirst = 0;
    int bottomFirst = 0;
    int progressive = 0;
    int undetermined = 0;
    // idet's repeated fields: frames that repeat neither field of the one
    // before, the top one or the bottom one.
    int repeatedNeither = 0;
    int repeatedTop = 0;
    int repeatedBottom = 0;
    // cropdetect's last answer, which (without resets) takes in every frame.
    std::optional<Crop> crop;
};

// Reads what ffmpeg printed for a sample run with -vf idet,cropdetect.
SampleFindings parseSampleOutput(std::string_view text);

// What the stream's own MPEG-2 picture headers say of the pictures.
struct PictureFlags {
    int pictures = 0;
    int progressiveFrames = 0; // pictures flagged as whole pictures
    int repeatedFields = 0;    // pictures flagged to show their first field again
    bool progressiveSequence = false;
};

// Counts the flags of the picture headers in a stretch of MPEG program
// stream (sequence and picture coding extensions).
void countPictureFlags(const std::uint8_t *data, std::size_t size, PictureFlags &flags);

// The scan class of a source from its samples and flags:
//  - telecined: a video rate of 29.97 (or 30) with a repeated field in a
//    fifth or more of the frames (3:2 pulldown repeats two in five);
//  - interlaced: a third or more of the frames idet could tell are woven
//    (deinterlacing a whole picture costs little; combing in motion is plain
//    to see), or nine in ten where the stream flags its pictures as whole
//    (fine horizontal detail looks woven to idet as well);
//  - progressive: fewer than that;
//  - when idet can tell too few frames (a still picture), the stream's flags:
//    progressive when (nearly) every picture is flagged whole, else
//    interlaced; and unknown when there are no flags either.
ScanClass classifyScan(const std::vector<SampleFindings> &samples, const PictureFlags &flags,
                       const Ratio &rate);

// Film pictures that the flags repeat fields of to make video rate: whole
// pictures nearly all, with a repeated field in about half of them.
bool hasPulldownFlags(const PictureFlags &flags);

// The picture inside black bars that most samples agree on: more than half
// of the samples with an answer must find the same edges (a few pixels
// apart); their widest extent counts. Nothing when there are no bars or the
// samples disagree. A sample whose picture is nearly all black (a fade)
// gives no answer.
std::optional<Crop> agreedBars(const std::vector<SampleFindings> &samples, int width, int height);

// The result of analysing a title once.
struct PictureAnalysis {
    // The frame, shape and rate, where they were measured (of a file) rather
    // than read from a DVD's tables.
    SourcePicture frame;
    ScanClass scan = ScanClass::Unknown;
    std::optional<Crop> bars;
    bool pulldownFlags = false;
    std::string details; // the figures it rests on, for the log
    // Every sample was run and at least one gave an answer: a result worth
    // keeping (not one cut short by a stop, or of an ffmpeg that failed).
    bool complete = false;
};

PictureAnalysis analysePicture(const std::vector<SampleFindings> &samples,
                               const PictureFlags &flags, const Ratio &rate, int width, int height);
