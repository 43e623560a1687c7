// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Running zrvtool, ffprobe and ffmpeg on exported files, and the arithmetic
// the tests compare with.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

ProgramResult Zrvtool(std::vector<std::string> args);
// Makes a clip with zrvtool make and these options; fails the test if refused.
std::string MakeClip(const TempDir& dir, const std::string& name,
                     const std::vector<std::string>& options);

// ffprobe's key=value answer for `entries` (e.g. "stream=codec_name,width")
// of `streams` (e.g. "v:0"; empty for the format), first value of each key.
std::map<std::string, std::string> Probe(const std::string& path, const std::string& streams,
                                         const std::string& entries);
// One value per packet (or frame, with "frame=") of a stream, in order.
std::vector<std::string> ProbeList(const std::string& path, const std::string& streams,
                                   const std::string& entry, bool countFrames = false);

// Runs ffmpeg -v error -y ARGS; fails the test on an error.
void Ffmpeg(std::vector<std::string> args);
// Stream k of `path` (e.g. "0:a") decoded as 16-bit mono samples.
std::vector<int16_t> DecodedSamples(const TempDir& dir, const std::string& path,
                                    const std::string& map);
// Frame `k` of `path`'s video decoded to RGB rows by ffmpeg.
Bytes DecodedFrameRgb(const TempDir& dir, const std::string& path, int k, int& width,
                      int& height);
// The same source frame: `zrvtool frame` decoded in full colour by djpeg.
Bytes SourceFrameRgb(const TempDir& dir, const std::string& clip, int k, int& width, int& height);
// Luma PSNR between two RGB pictures, over width x height of each (row
// lengths may differ).
double LumaPsnr(const Bytes& a, int aWidth, const Bytes& b, int bWidth, int width, int height);
// Frame k's standalone stream as zrvtool frame writes it.
Bytes FrameFile(const TempDir& dir, const std::string& clip, int k);
// The samples of zrvtool sound's WAV file.
std::vector<int16_t> ToolSoundSamples(const TempDir& dir, const std::string& clip);

// Names in `folder` that start with a dot (unfinished outputs).
std::vector<std::string> HiddenFiles(const std::string& folder);

// The picture shown at `seconds` into `path`'s video, decoded to RGB rows.
Bytes DecodedFrameAtRgb(const TempDir& dir, const std::string& path, double seconds, int& width,
                        int& height);
// PSNR of red, green and blue, each averaged over every 2 x 2 block (where
// 4:2:0 keeps one colour): a wrong colour counts as much as a wrong
// brightness, while the decoders' ways of spreading a block's colour over
// its pixels do not.
double ColourPsnr(const Bytes& a, int aWidth, const Bytes& b, int bWidth, int width, int height);
// The mean luma of every decoded frame of the video, in order, one per
// packet (no frame dropped or repeated to a rate).
std::vector<double> FrameLumaMeans(const TempDir& dir, const std::string& path);
