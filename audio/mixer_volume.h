// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The system's master volume: the volume of the sound server's default output
// (PulseAudio, or PipeWire serving the same protocol), on the 0..65535 scale of
// the player's volume slider.
//
// Use from the player window:
//   m_pVolume = new CMixerVolume(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
//                                MIXER_NO_SOURCE_LINE, MIXERCONTROL_CONTROLTYPE_VOLUME);
//   slider.setValue(m_pVolume->GetValue());             // 0 when there is no volume
//   m_pVolume->SetValue(slider.value());                // when the slider is released
//   delete m_pVolume;                                   // when the window closes
// Nothing is ever shown. Each call waits at most VOLUME_SERVER_WAIT_MS for the
// server; one that fails or times out disables the object for good, so a
// missing or hung server costs the window at most one wait.
#pragma once

#include <cstdint>
#include <memory>

// The line and control that the player asks for: the speakers' own volume.
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_LAST = 0x100A;
inline constexpr uint32_t MIXER_NO_SOURCE_LINE = MIXERLINE_COMPONENTTYPE_SRC_LAST + 1;
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;

inline constexpr uint32_t VOLUME_SLIDER_MAX = 65535;
inline constexpr int VOLUME_SERVER_WAIT_MS = 2000;

struct PulseConnection;  // the connection to the sound server

class CMixerVolume {
 public:
  // Connects to the running sound server (never starts one) and finds its
  // default output. `componentType` must be the speakers and `controlType`
  // the volume, or the object stays unready; the output has no source lines,
  // so any `sourceType` means the output itself.
  CMixerVolume(uint32_t componentType, uint32_t sourceType, uint32_t controlType);
  virtual ~CMixerVolume();  // disconnects
  CMixerVolume(const CMixerVolume&) = delete;
  CMixerVolume& operator=(const CMixerVolume&) = delete;

  // The loudest channel's volume, 0..65535 for 0..100% (louder counts as
  // 65535); 0 when unready or when the query fails.
  uint32_t GetValue();

  // Sets every channel to `value` (0..65535 for 0..100%; more counts as
  // 65535). 1 on success, 0 otherwise.
  int SetValue(uint32_t value);

  std::unique_ptr<PulseConnection> m_hMixer;  // null when not connected
  uint32_t m_dwControlID = 0;  // the server's index of the output
  uint32_t m_cChannels = 0;    // the output's channel count less one (0 for none)
  bool m_bReady = false;       // found at construction; cleared for good by a failure

 private:
  void Disable();
};

// The slider scale against the server's: 0..65535 onto 0..norm, linear,
// rounded to the nearest step either way; values above the ends are capped.
uint32_t PulseVolumeFromSlider(uint32_t value);
uint32_t SliderFromPulseVolume(uint32_t volume);
