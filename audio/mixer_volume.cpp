// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/mixer_volume.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <string>

// A private main loop that runs only inside our calls, and the context on it.
struct PulseConnection {
  pa_mainloop* loop = nullptr;
  pa_context* context = nullptr;

  PulseConnection() {
    loop = pa_mainloop_new();
    if (loop) context = pa_context_new(pa_mainloop_get_api(loop), "ZRV Player");
  }
  ~PulseConnection() {
    if (context) {
      pa_context_disconnect(context);
      pa_context_unref(context);
    }
    if (loop) pa_mainloop_free(loop);
  }
  PulseConnection(const PulseConnection&) = delete;
  PulseConnection& operator=(const PulseConnection&) = delete;
};

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline() { return Clock::now() + std::chrono::milliseconds(VOLUME_SERVER_WAIT_MS); }

// Runs the main loop until `done` holds. False when the deadline passes first
// or the connection breaks.
template <typename Done>
bool RunUntil(PulseConnection& pulse, Clock::time_point deadline, Done done) {
  while (!done()) {
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(pulse.context))) return false;
    auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    if (pa_mainloop_prepare(pulse.loop, static_cast<int>(left.count())) < 0 ||
        pa_mainloop_poll(pulse.loop) < 0 || pa_mainloop_dispatch(pulse.loop) < 0)
      return false;
  }
  return true;
}

// Waits for one request to finish; a request still running at the deadline is
// cancelled, so its callback can no longer touch the caller's variables.
bool Finish(PulseConnection& pulse, pa_operation* operation, Clock::time_point deadline) {
  if (!operation) return false;
  bool finished = RunUntil(pulse, deadline, [operation] {
    return pa_operation_get_state(operation) != PA_OPERATION_RUNNING;
  });
  if (!finished) pa_operation_cancel(operation);
  pa_operation_unref(operation);
  return finished;
}

bool Connect(PulseConnection& pulse, Clock::time_point deadline) {
  if (!pulse.context ||
      pa_context_connect(pulse.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    return false;
  return RunUntil(pulse, deadline,
                  [&pulse] { return pa_context_get_state(pulse.context) == PA_CONTEXT_READY; });
}

bool DefaultSinkName(PulseConnection& pulse, Clock::time_point deadline, std::string& name) {
  auto onInfo = [](pa_context*, const pa_server_info* info, void* userdata) {
    if (info && info->default_sink_name) *static_cast<std::string*>(userdata) = info->default_sink_name;
  };
  name.clear();
  return Finish(pulse, pa_context_get_server_info(pulse.context, onInfo, &name), deadline) &&
         !name.empty();
}

struct SinkState {
  bool found = false;
  uint32_t index = 0;
  pa_cvolume volume{};
};

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
  if (eol != 0 || !info) return;
  auto* sink = static_cast<SinkState*>(userdata);
  sink->found = true;
  sink->index = info->index;
  sink->volume = info->volume;
}

bool SinkByName(PulseConnection& pulse, Clock::time_point deadline, const std::string& name,
                SinkState& sink) {
  pa_operation* op = pa_context_get_sink_info_by_name(pulse.context, name.c_str(), OnSinkInfo, &sink);
  return Finish(pulse, op, deadline) && sink.found;
}

bool SinkByIndex(PulseConnection& pulse, Clock::time_point deadline, uint32_t index, SinkState& sink) {
  pa_operation* op = pa_context_get_sink_info_by_index(pulse.context, index, OnSinkInfo, &sink);
  return Finish(pulse, op, deadline) && sink.found;
}

bool SetSinkVolume(PulseConnection& pulse, Clock::time_point deadline, uint32_t index,
                   const pa_cvolume& volume) {
  int succeeded = 0;
  auto onDone = [](pa_context*, int success, void* userdata) { *static_cast<int*>(userdata) = success; };
  pa_operation* op = pa_context_set_sink_volume_by_index(pulse.context, index, &volume, onDone, &succeeded);
  return Finish(pulse, op, deadline) && succeeded;
}

}  // namespace

uint32_t PulseVolumeFromSlider(uint32_t value) {
  uint64_t v = std::min(value, VOLUME_SLIDER_MAX);
  return static_cast<uint32_t>((v * PA_VOLUME_NORM + VOLUME_SLIDER_MAX / 2) / VOLUME_SLIDER_MAX);
}

uint32_t SliderFromPulseVolume(uint32_t volume) {
  uint64_t v = static_cast<uint64_t>(volume) * VOLUME_SLIDER_MAX;
  return static_cast<uint32_t>(std::min<uint64_t>((v + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM, VOLUME_SLIDER_MAX));
}

CMixerVolume::CMixerVolume(uint32_t componentType, uint32_t /*sourceType*/, uint32_t controlType) {
  if (componentType != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS ||
      controlType != MIXERCONTROL_CONTROLTYPE_VOLUME)
    return;
  auto deadline = Deadline();
  m_hMixer = std::make_unique<PulseConnection>();
  std::string sinkName;
  SinkState sink;
  if (!Connect(*m_hMixer, deadline) || !DefaultSinkName(*m_hMixer, deadline, sinkName) ||
      !SinkByName(*m_hMixer, deadline, sinkName, sink)) {
    Disable();
    return;
  }
  m_dwControlID = sink.index;
  m_cChannels = sink.volume.channels > 0 ? sink.volume.channels - 1u : 0;
  m_bReady = true;
}

CMixerVolume::~CMixerVolume() = default;

uint32_t CMixerVolume::GetValue() {
  if (!m_bReady) return 0;
  SinkState sink;
  if (!SinkByIndex(*m_hMixer, Deadline(), m_dwControlID, sink)) {
    Disable();
    return 0;
  }
  return SliderFromPulseVolume(pa_cvolume_max(&sink.volume));
}

int CMixerVolume::SetValue(uint32_t value) {
  if (!m_bReady) return 0;
  auto deadline = Deadline();
  SinkState sink;
  if (!SinkByIndex(*m_hMixer, deadline, m_dwControlID, sink)) {
    Disable();
    return 0;
  }
  pa_cvolume volume = sink.volume;
  if (!pa_cvolume_valid(&volume)) {  // no channel to set
    Disable();
    return 0;
  }
  pa_cvolume_set(&volume, volume.channels, PulseVolumeFromSlider(value));
  if (!SetSinkVolume(*m_hMixer, deadline, m_dwControlID, volume)) {
    Disable();
    return 0;
  }
  return 1;
}

// A server that failed once is not asked again while this object lives.
void CMixerVolume::Disable() {
  m_bReady = false;
  m_hMixer.reset();
}
