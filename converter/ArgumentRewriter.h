#pragma once

#include <string>
#include <vector>

// Rewrites the option tokens of a preset argument string into the spelling
// today's ffmpeg accepts and honours. The presets were written for an older
// converter; what it took and today's ffmpeg refuses, ignores or warns about
// is turned into its current equivalent:
//
//   -acodec libvo_aacenc        -> -acodec aac (that encoder no longer exists)
//   -flags +mv0                 -> -mpv_flags +mv0 for the native MPEG-family
//                                  encoders; other flags stay on -flags; any
//                                  other encoder loses mv0
//   -deinterlace                -> yadif first in the -vf chain (or -vf yadif)
//   -rc_lookahead N (libx264)   -> -rc-lookahead N
//   -rc_buf_aggressivity X      -> dropped (no effect)
//   -level N (libvpx)           -> dropped (VP8 has no levels)
//   -profile X                  -> -profile:v X
//   -vb X, -ab X, -aq X         -> -b:v X, -b:a X, -q:a X
//   -async N                    -> aresample=async=N:min_hard_comp=0.1:first_pts=0
//                                  appended to the -af chain (or a new -af)
//   -me_method, -partitions +parti4x4..., -wpredp (libx264)
//                               -> -motion-est, -partitions i4x4,..., -weightp
//   -target *-dv, *-dv50        -> aresample=async=1 added to the audio
//                                  filters, since DV output otherwise fails on
//                                  sources whose audio timestamps jump
//
// Nothing else is touched: every other token comes back unchanged and in its
// place. The input holds only the options, never the source or target path.
std::vector<std::string> rewriteArguments(const std::vector<std::string> &tokens);
