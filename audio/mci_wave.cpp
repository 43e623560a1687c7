// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/mci_wave.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "audio/streamed_pcm.h"
#include "audio/wav_pcm.h"

// Shared with SDL's audio thread, which reads `position` in the callback; every
// other access holds the device lock.
struct WavePlayback {
  WavPcm pcm;                          // a WAV file's samples, or
  std::shared_ptr<StreamedPcm> stream;  // those a conversion is still writing
  const uint8_t* data = nullptr;       // whole frames of 16-bit samples
  uint64_t frames = 0;                 // of the whole sound
  uint32_t frameBytes = 0;
  uint32_t sampleRate = 0;
  uint16_t channels = 0;
  uint64_t position = 0;  // in sample frames

  // Frames whose samples exist by now.
  uint64_t Ready() const {
    return stream ? stream->ready.load(std::memory_order_acquire) : frames;
  }
};

namespace {

// SDL's audio subsystem runs once per process, from the first Open that finds
// a sound output until the program ends. A failed start is tried again at the
// next Open, so sound comes back once the system has it.
class SdlAudio {
 public:
  ~SdlAudio() {
    if (m_started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Start() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_started) {
      // SDL would otherwise turn SIGINT and SIGTERM into quit events that the
      // program never reads; the program handles its signals itself.
      SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
      m_started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    return m_started;
  }

 private:
  std::mutex m_mutex;
  bool m_started = false;
};

SdlAudio& Audio() {
  static SdlAudio audio;
  return audio;
}

// Runs on SDL's audio thread with the device lock held. Where the conversion
// has not got to yet it plays silence and moves on, so that the sound keeps
// its place against the pictures.
void FillFromPosition(void* userdata, Uint8* stream, int length) {
  auto* playback = static_cast<WavePlayback*>(userdata);
  const uint64_t frameBytes = playback->frameBytes;
  const uint64_t wanted = static_cast<uint64_t>(length) / frameBytes;
  const uint64_t frames = std::min(wanted, playback->frames - playback->position);
  const uint64_t ready = playback->Ready();
  const uint64_t copied =
      playback->position < ready ? std::min(frames, ready - playback->position) : 0;
  if (copied > 0)
    std::memcpy(stream, playback->data + playback->position * frameBytes, copied * frameBytes);
  std::memset(stream + copied * frameBytes, 0, static_cast<size_t>(length) - copied * frameBytes);
  playback->position += frames;
}

uint32_t ErrorOf(WavLoadResult result) {
  switch (result) {
    case WavLoadResult::Ok: return 0;
    case WavLoadResult::NotFound: return MCIERR_FILE_NOT_FOUND;
    case WavLoadResult::Unreadable: return MCIERR_FILE_READ;
    case WavLoadResult::Invalid: return MCIERR_INVALID_FILE;
    case WavLoadResult::OutOfMemory: return MCIERR_OUT_OF_MEMORY;
  }
  return MCIERR_INVALID_FILE;
}

// Buffers of 40 to 80 ms (a power of two of frames, as SDL prefers): short
// enough that Stop and SeekAndPlay are heard at once, long enough not to stutter.
Uint16 BufferFrames(uint32_t sampleRate) {
  Uint16 frames = 256;
  while (frames < 8192 && frames < sampleRate / 25) frames = static_cast<Uint16>(frames * 2);
  return frames;
}

}  // namespace

CMciWave::CMciWave() = default;

CMciWave::~CMciWave() { Close(); }

uint32_t CMciWave::Open() {
  Close();
  if (m_strPath.empty()) return MCIERR_FILENAME_REQUIRED;

  auto playback = std::make_unique<WavePlayback>();
  if (uint32_t error = ErrorOf(LoadWavPcm(m_strPath, playback->pcm))) return error;
  const WavPcm& pcm = playback->pcm;
  playback->data = pcm.samples.data();
  playback->frames = pcm.FrameCount();
  playback->frameBytes = pcm.FrameBytes();
  playback->sampleRate = pcm.sampleRate;
  playback->channels = pcm.channels;
  return OpenOutput(std::move(playback), AUDIO_S16LSB);
}

uint32_t CMciWave::OpenStream(std::shared_ptr<StreamedPcm> pcm) {
  Close();
  if (!pcm || !pcm->allocated() || pcm->channels < 1 || pcm->channels > 8 || pcm->sampleRate == 0)
    return MCIERR_INVALID_FILE;
  auto playback = std::make_unique<WavePlayback>();
  playback->data = reinterpret_cast<const uint8_t*>(pcm->samples.get());
  playback->frames = pcm->frameCount;
  playback->frameBytes = pcm->FrameBytes();
  playback->sampleRate = pcm->sampleRate;
  playback->channels = pcm->channels;
  playback->stream = std::move(pcm);
  return OpenOutput(std::move(playback), AUDIO_S16SYS);
}

uint32_t CMciWave::OpenOutput(std::unique_ptr<WavePlayback> playback, uint16_t format) {
  if (!Audio().Start()) return MCIERR_CANNOT_LOAD_DRIVER;

  SDL_AudioSpec wanted;
  SDL_zero(wanted);
  wanted.freq = static_cast<int>(playback->sampleRate);
  wanted.format = format;
  wanted.channels = static_cast<Uint8>(playback->channels);
  wanted.samples = BufferFrames(playback->sampleRate);
  wanted.callback = FillFromPosition;
  wanted.userdata = playback.get();
  // No allowed changes: SDL converts to whatever the hardware takes.
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (device == 0) return MCIERR_WAVE_OUTPUTSUNSUITABLE;
  if (device > 0xFFFF) {
    SDL_CloseAudioDevice(device);
    return MCIERR_INTERNAL;
  }
  // SDL opens devices paused, which is "stopped at position 0".
  m_playback = std::move(playback);
  m_wDeviceID = static_cast<uint16_t>(device);
  return 0;
}

uint32_t CMciWave::GetLength() const {
  if (m_wDeviceID == 0) return WAVE_LENGTH_UNKNOWN;
  uint64_t ms = m_playback->frames * 1000 / m_playback->sampleRate;
  return static_cast<uint32_t>(std::min<uint64_t>(ms, WAVE_LENGTH_UNKNOWN - 1));
}

uint32_t CMciWave::Play() {
  if (m_wDeviceID == 0) return MCIERR_INVALID_DEVICE_ID;
  if (SDL_GetAudioDeviceStatus(m_wDeviceID) == SDL_AUDIO_STOPPED) return MCIERR_HARDWARE;
  SDL_PauseAudioDevice(m_wDeviceID, 0);
  m_bPlaying = true;
  return 0;
}

uint32_t CMciWave::Stop() {
  m_bPlaying = false;
  if (m_wDeviceID == 0) return MCIERR_INVALID_DEVICE_ID;
  SDL_PauseAudioDevice(m_wDeviceID, 1);
  return 0;
}

uint32_t CMciWave::GetPosition() const {
  if (m_wDeviceID == 0) return WAVE_LENGTH_UNKNOWN;
  SDL_LockAudioDevice(m_wDeviceID);
  const uint64_t frame = m_playback->position;
  SDL_UnlockAudioDevice(m_wDeviceID);
  return static_cast<uint32_t>(frame * 1000 / m_playback->sampleRate);
}

uint32_t CMciWave::SeekAndPlay(uint32_t ms) {
  if (!m_bPlaying) return 0;
  if (m_wDeviceID == 0) return Stop();  // the flag was set from outside
  SDL_PauseAudioDevice(m_wDeviceID, 1);
  uint64_t frame = std::min(static_cast<uint64_t>(ms) * m_playback->sampleRate / 1000,
                            m_playback->frames);
  SDL_LockAudioDevice(m_wDeviceID);
  m_playback->position = frame;
  SDL_UnlockAudioDevice(m_wDeviceID);
  return Play();
}

uint32_t CMciWave::Close() {
  m_bPlaying = false;
  if (m_wDeviceID == 0) return 1;
  // Waits for SDL's audio thread to end, so the samples can go after it.
  SDL_CloseAudioDevice(m_wDeviceID);
  m_wDeviceID = 0;
  m_playback.reset();
  return 0;
}
