// The player's thresholds, together, each with the reason for its value.
#pragma once

#include <cstddef>

namespace prevkit
{

// --- Reading ---------------------------------------------------------------
// A timestamp step backwards, or a leap forwards larger than this, is taken
// for a discontinuity (DVD cells and joined titles restart their clocks); the
// stream then carries on from where it was.
constexpr double kBackwardJump = 0.5;
constexpr double kForwardJump = 3.0;
// Seeks land this far before the target so that decoding starts at a key
// frame and then runs forward to the exact frame.
constexpr double kSeekLead = 1.0;
// A seek in a DVD title file estimates the byte from the title's bytes and
// length; landing past the target, it goes back further, this many times.
constexpr int kMaxSeekTries = 4;
// A title's first timestamp is the smallest among its first pictures (they
// come in decoding order), read from at most this many packets.
constexpr int kProbePictures = 12;
constexpr int kMaxProbePackets = 2000;
// Unreadable packets in a row after which the file counts as broken.
constexpr int kMaxDamagedPackets = 100;
// Sound and the pictures of the same moment lie up to about a second apart
// in a multiplex. Reading ahead for sound keeps the pictures' packets met on
// the way, up to this many (two seconds of PAL) or this many bytes; sound
// packets read for pictures are kept up to this many (about eight seconds of
// AC-3), the oldest dropped beyond.
constexpr size_t kMaxPicturePacketsAhead = 50;
constexpr size_t kMaxBytesAhead = 8 << 20;
constexpr size_t kMaxSoundPackets = 256;
// How far back a seek past the last frame looks for that frame.
constexpr double kLastFrameSearch = 3.0;

// --- Pacing against the clock ----------------------------------------------
// The clock is the sound heard, when there is sound and a device; otherwise a
// steady clock started at the picture shown.
//
// A picture later than this is dropped undrawn: about two frames, past which
// a picture no longer matches the sound it goes with (lip sync is noticed
// from about 45 ms of sound leading the picture).
constexpr double kDropLate = 0.08;
// Even when late, one picture in this many is drawn, so that a machine too
// slow to keep up still shows a moving picture.
constexpr int kMaxDroppedInARow = 8;
// Without sound, playback more than this late skips ahead instead of racing
// to catch up.
constexpr double kMaxLate = 0.3;
// A picture due further ahead than this (a gap in the timestamps) is shown at
// once rather than after a long still picture.
constexpr double kMaxWait = 1.0;
// The longest the worker sleeps while playing sound: the output's queue must
// be topped up well before it runs dry.
constexpr double kFeedInterval = 0.02;

// --- Sound -----------------------------------------------------------------
// How much sound the output queues: enough to ride out a busy moment of the
// worker, little enough that pause, seek and volume take effect at once.
constexpr double kOutputQueue = 0.2;
// A gap in the sound up to this long is filled with silence so that the
// sound clock keeps counting title time; a longer one starts the clock anew.
constexpr double kMaxSilenceFill = 0.5;
// Sound that overlaps what was played by less than this is cut; the clock's
// resolution needs no finer matching.
constexpr double kSoundSlack = 0.005;
// Sound heard that has not moved for this long while playing means the
// device stopped taking it (it happens to a sink started afresh): the output
// is started again and the steady clock runs meanwhile. Well above a
// device's start-up delay.
constexpr double kSoundStalled = 0.5;
// With less than this queued, the output is running dry: the steady clock,
// kept in step with the sound while it played, takes over.
constexpr double kSoundStarved = 0.005;

// --- Handing pictures to the window ----------------------------------------
// Pictures handed to the GUI thread and not yet shown; beyond this, running
// playback drops pictures rather than queueing them up.
constexpr int kMaxFramesInFlight = 2;

} // namespace prevkit
