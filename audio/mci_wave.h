// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The wave device: plays the converted sound track, a 16-bit PCM WAV file, on
// the sound output (SDL2 audio; SDL_AUDIODRIVER picks the back end).
//
// Use from the player window:
//   m_wave.m_strPath = wavPath;
//   if (m_wave.Open() == 0) length = m_wave.GetLength();   // milliseconds
//   (or m_wave.OpenStream(pcm) for sound still being converted)
//   m_wave.Play();  m_wave.SeekAndPlay(ms);  m_wave.Stop();
//   m_wave.Close();  // before deleting the WAV file
// The wave keeps no clock for the caller: the caller decides where to play
// from. Every call returns at once; error codes are for the caller to ignore
// or report, the device never shows anything.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Results of the wave device. 0 is success; the failures carry the values that
// the Windows multimedia command interface uses for the same faults.
inline constexpr uint32_t MCIERR_INVALID_DEVICE_ID = 257;        // nothing is open
inline constexpr uint32_t MCIERR_HARDWARE = 262;                 // the output device was lost
inline constexpr uint32_t MCIERR_OUT_OF_MEMORY = 264;            // the file is too large to hold
inline constexpr uint32_t MCIERR_CANNOT_LOAD_DRIVER = 266;       // no sound output on this system
inline constexpr uint32_t MCIERR_FILE_NOT_FOUND = 275;           // no file at m_strPath
inline constexpr uint32_t MCIERR_INTERNAL = 277;                 // the device id does not fit
inline constexpr uint32_t MCIERR_INVALID_FILE = 296;             // not a 16-bit PCM WAV file
inline constexpr uint32_t MCIERR_FILENAME_REQUIRED = 304;        // m_strPath is empty
inline constexpr uint32_t MCIERR_WAVE_OUTPUTSUNSUITABLE = 324;   // no output takes this format
inline constexpr uint32_t MCIERR_FILE_READ = 348;                // the file cannot be read

// What GetLength() reports when nothing is open.
inline constexpr uint32_t WAVE_LENGTH_UNKNOWN = 0xFFFFFFFF;

struct StreamedPcm;
struct WavePlayback;  // the samples in memory and the play position

class CMciWave {
 public:
  CMciWave();
  virtual ~CMciWave();  // closes the device
  CMciWave(const CMciWave&) = delete;
  CMciWave& operator=(const CMciWave&) = delete;

  // Closes what is open, reads the WAV file at m_strPath into memory and opens
  // a sound output at the file's rate and channel count, stopped at position 0.
  // 0 on success (m_wDeviceID then nonzero); on failure nothing is open.
  uint32_t Open();

  // Opens a sound output for samples that a conversion is still writing
  // (m_strPath is left alone): the length is the whole track's from the
  // start, and what is not decoded yet plays as silence. 0 on success.
  uint32_t OpenStream(std::shared_ptr<StreamedPcm> pcm);

  // The duration in milliseconds (whole sample frames, rounded down);
  // WAVE_LENGTH_UNKNOWN when nothing is open.
  uint32_t GetLength() const;

  // Where output stands, in milliseconds from the start (whole sample frames,
  // rounded down); WAVE_LENGTH_UNKNOWN when nothing is open.
  uint32_t GetPosition() const;

  // Starts output from the current position and returns at once; sets
  // m_bPlaying on success. Past the end the output plays silence and the
  // device still counts as playing.
  uint32_t Play();

  // Halts output where it is. m_bPlaying is cleared whatever the result.
  uint32_t Stop();

  // Only while m_bPlaying is set (otherwise 0 and nothing happens): moves to
  // `ms` (clamped to the length) and plays from there.
  uint32_t SeekAndPlay(uint32_t ms);

  // Stops and releases the output and the samples; the file may be deleted
  // afterwards. 1 when nothing was open, 0 when it closed.
  uint32_t Close();

  uint16_t m_wDeviceID = 0;  // the open output; 0 when nothing is open
  bool m_bPlaying = false;   // set by Play, cleared by Stop and Close
  std::string m_strPath;     // the WAV file that Open reads

 private:
  uint32_t OpenOutput(std::unique_ptr<WavePlayback> playback, uint16_t format);

  std::unique_ptr<WavePlayback> m_playback;  // exists exactly while m_wDeviceID is nonzero
};
