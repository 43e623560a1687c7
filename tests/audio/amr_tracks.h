// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Sound tracks made on the spot for tests and benchmarks: a speech-like test
// signal, AMR storage files encoded from it with the real encoders, and the
// PCM inside a WAV file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

using Samples = std::vector<int16_t>;

// `milliseconds` of a signal that keeps an encoder busy: voiced stretches of
// a few harmonics whose pitch glides, separated by quiet noise (so that
// discontinuous transmission sends comfort-noise frames). Deterministic.
Samples TestSignal(int milliseconds, int sampleRate);

// A "#!AMR\n" file of `pcm` (8000 Hz, 160 samples a frame, a last partial
// frame dropped), every frame in `mode` (0 to 7), or frame i in
// modes[i % modes.size()].
Bytes EncodeNarrowBand(const Samples& pcm, int mode, bool dtx);
Bytes EncodeNarrowBand(const Samples& pcm, const std::vector<int>& modes, bool dtx);

// A "#!AMR-WB\n" file of `pcm` (16000 Hz, 320 samples a frame) in `mode`
// (0 to 8).
Bytes EncodeWideBand(const Samples& pcm, int mode, bool dtx);

// The frames of a storage file after its `magicLength` bytes, each with its
// frame-type byte, delimited by the sizes of the narrow-band or wide-band
// frame types.
std::vector<Bytes> SplitFrames(const Bytes& file, size_t magicLength, bool wide);
Bytes JoinFrames(const std::string& magic, const std::vector<Bytes>& frames);

// The bytes of the "data" chunk of a RIFF WAVE file (empty when there is
// none), found by walking the chunks, so that other writers' files compare.
Bytes WavData(const Bytes& wav);

// Little-endian fields of a WAV header.
uint32_t Le32(const Bytes& b, size_t at);
uint16_t Le16(const Bytes& b, size_t at);
