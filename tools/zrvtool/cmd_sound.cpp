// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool sound: a clip's sound track as a WAV file.
#include <string>

#include "audio/frame_interval.h"
#include "tools/cli/clip_sound.h"
#include "tools/cli/commands.h"
#include "tools/clip_maker/output_path.h"
#include "container/pending_file.h"

namespace {

int RunSound(int argc, char** argv) {
  if (argc != 3) return UsageError(kSoundCommand, "expected FILE OUT.wav");
  const std::string clipPath = argv[1], wavPath = argv[2];

  LoadedClip clip;
  if (!LoadClip(clipPath, clip)) return kExitRefused;
  if (SameFile(clipPath, wavPath))
    return Refuse("'" + wavPath + "' is the clip itself; it would be overwritten");
  const std::string cannotWrite = "cannot write '" + wavPath + "'";
  const uint32_t soundMs = ClipSoundLengthMs(clip);
  if (soundMs != kUnknownSoundLength && soundMs > LongestSoundMs(clip.bytes.size()))
    return Refuse("'" + clipPath + "' has a sound track of " + SoundLengthText(soundMs) +
                  ", longer than a clip of " + std::to_string(clip.bytes.size()) +
                  " bytes can hold (a second a kilobyte, or ten minutes)");

  if (!ReplaceableFile(wavPath))
    return ConvertClipSound(clipPath, clip, wavPath, cannotWrite) ? kExitOk : kExitRefused;
  // Written beside OUT first, so that a failure leaves a file of that name as it was.
  PendingFile pending(wavPath);
  if (!pending.opened()) return Refuse(cannotWrite);
  if (!ConvertClipSound(clipPath, clip, pending.path(), cannotWrite)) return kExitRefused;
  if (!pending.Publish()) return Refuse(cannotWrite);
  return kExitOk;
}

}  // namespace

const Command kSoundCommand = {"sound", "FILE OUT.wav",
                               "convert the clip's AMR sound track to a 16-bit PCM WAV file",
                               RunSound};
