#pragma once

#include <string>
#include <vector>

// Makes a conversion's audio timestamps run steadily forward whatever the
// source's do. DVD titles step their audio back now and then: at cell and
// piece boundaries, where sectors are damaged, and where an AC-3 frame starts
// in the last bytes of a packet and is read with the next packet's time. A
// step back of up to a tenth of a second is not mended by the converter's
// reading; the encoder's frames then overlap and the DVD, VCD and WebM
// muxers write timestamps that go backwards.
//
// ffmpeg's resampler with "async" numbers the samples it passes on, so its
// output times cannot go back; it drops or pads samples only when the source
// drifts away by more than a tenth of a second, which keeps the sound with
// the picture. So every conversion that encodes audio gets
//
//   aresample=async=1           first in the last -af (or -filter:a) chain,
//                               or as a new -af before the
//                               other options
//
// except where the options resample with async already (-async and DV
// output, rewritten by rewriteArguments, or a chain of the preset's own), or
// no audio is encoded (-an, an audio codec of "copy") or a complex filter
// graph feeds the outputs (-filter_complex, -lavfi), which -af may not join.
// Takes and answers the option tokens after rewriteArguments; every token
// not named here comes back unchanged and in its place.
std::vector<std::string> withMonotonicAudio(const std::vector<std::string> &tokens);
