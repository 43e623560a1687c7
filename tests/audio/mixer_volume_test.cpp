// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "audio/mixer_volume.h"
#include "tests/audio/pulse_daemon.h"

namespace {

struct ChannelVolume {
  uint32_t raw = 0;
  int percent = 0;
};

// The channels of `sink` as pactl shows them: "front-left: 32769 /  50% / ...".
std::vector<ChannelVolume> SinkVolume(const PulseDaemon& pulse, const std::string& sink = PulseDaemon::SINK_NAME) {
  std::istringstream out(pulse.Pactl({"get-sink-volume", sink}));
  std::vector<ChannelVolume> channels;
  std::string word, previous;
  while (out >> word) {
    if (word == "/" && !previous.empty() && std::isdigit(static_cast<unsigned char>(previous[0]))) {
      std::string percent;
      out >> percent;
      if (!percent.empty() && percent.back() == '%')
        channels.push_back({static_cast<uint32_t>(std::stoul(previous)), std::stoi(percent)});
    }
    previous = word;
  }
  return channels;
}

// The server's index of `sink`, from pactl's short list ("INDEX<tab>NAME<tab>...").
uint32_t SinkIndex(const PulseDaemon& pulse, const std::string& sink) {
  std::istringstream out(pulse.Pactl({"list", "short", "sinks"}));
  std::string index, name, rest;
  while (std::getline(out, index, '\t') && std::getline(out, name, '\t') && std::getline(out, rest)) {
    if (name == sink) return static_cast<uint32_t>(std::stoul(index));
  }
  throw std::runtime_error("pactl lists no sink " + sink);
}

// The volume as the player window makes it.
std::unique_ptr<CMixerVolume> NewSpeakerVolume() {
  return std::make_unique<CMixerVolume>(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXER_NO_SOURCE_LINE,
                                        MIXERCONTROL_CONTROLTYPE_VOLUME);
}

}  // namespace

TEST(MixerVolumeScale, MapsTheSliderLinearlyOntoTheServerScaleAndBack) {
  EXPECT_EQ(PulseVolumeFromSlider(0), 0u);
  EXPECT_EQ(PulseVolumeFromSlider(65535), 0x10000u);
  EXPECT_EQ(PulseVolumeFromSlider(32768), 32769u);  // 32768.5 rounds up
  EXPECT_EQ(PulseVolumeFromSlider(1'000'000), 0x10000u);
  EXPECT_EQ(SliderFromPulseVolume(0x10000), 65535u);
  EXPECT_EQ(SliderFromPulseVolume(0x18000), 65535u);  // 150% is the slider's end
  EXPECT_EQ(SliderFromPulseVolume(1), 1u);
  for (uint32_t v = 0; v <= VOLUME_SLIDER_MAX; ++v)
    ASSERT_EQ(SliderFromPulseVolume(PulseVolumeFromSlider(v)), v) << v;
}

TEST(MixerVolume, WorksOnTheDefaultSinkOfTheServer) {
  PulseDaemon pulse;
  std::unique_ptr<CMixerVolume> volume = NewSpeakerVolume();
  ASSERT_TRUE(volume->m_bReady);
  EXPECT_EQ(volume->m_dwControlID, SinkIndex(pulse, PulseDaemon::SINK_NAME));
  EXPECT_EQ(volume->m_cChannels, 1u);

  // Any source type means the sink itself.
  CMixerVolume line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, 0x1008, MIXERCONTROL_CONTROLTYPE_VOLUME);
  EXPECT_TRUE(line.m_bReady);
  EXPECT_EQ(line.m_dwControlID, volume->m_dwControlID);

  // Other destinations or controls do not exist here.
  CMixerVolume wavein(7, MIXER_NO_SOURCE_LINE, MIXERCONTROL_CONTROLTYPE_VOLUME);
  CMixerVolume mute(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXER_NO_SOURCE_LINE, 0x20010002);
  EXPECT_FALSE(wavein.m_bReady);
  EXPECT_FALSE(mute.m_bReady);
  EXPECT_EQ(wavein.GetValue(), 0u);
  EXPECT_EQ(mute.SetValue(100), 0);
}

TEST(MixerVolume, SetValueSetsEveryChannelOfTheSink) {
  PulseDaemon pulse;
  std::unique_ptr<CMixerVolume> volume = NewSpeakerVolume();
  pulse.Pactl({"set-sink-volume", PulseDaemon::SINK_NAME, "20%", "70%"});

  struct Case {
    uint32_t value;
    uint32_t raw;
    int percent;
  } cases[] = {{65535, 65536, 100}, {32768, 32769, 50}, {0, 0, 0}, {70000, 65536, 100}, {1, 1, 0}};
  for (const Case& c : cases) {
    ASSERT_EQ(volume->SetValue(c.value), 1) << c.value;
    std::vector<ChannelVolume> channels = SinkVolume(pulse);
    ASSERT_EQ(channels.size(), 2u);
    for (const ChannelVolume& ch : channels) {
      EXPECT_EQ(ch.raw, c.raw) << c.value;
      EXPECT_EQ(ch.percent, c.percent) << c.value;
    }
  }
  EXPECT_TRUE(volume->m_bReady);
}

TEST(MixerVolume, GetValueReadsWhatOthersSet) {
  PulseDaemon pulse;
  std::unique_ptr<CMixerVolume> volume = NewSpeakerVolume();
  EXPECT_EQ(volume->GetValue(), 65535u);  // a new sink is at 100%
  pulse.Pactl({"set-sink-volume", PulseDaemon::SINK_NAME, "32768"});
  EXPECT_EQ(volume->GetValue(), 32768u);
  pulse.Pactl({"set-sink-volume", PulseDaemon::SINK_NAME, "10%", "60%"});
  EXPECT_EQ(volume->GetValue(), SliderFromPulseVolume(SinkVolume(pulse)[1].raw));  // the loudest channel
  pulse.Pactl({"set-sink-volume", PulseDaemon::SINK_NAME, "150%"});
  EXPECT_EQ(volume->GetValue(), 65535u);
  pulse.Pactl({"set-sink-volume", PulseDaemon::SINK_NAME, "0"});
  EXPECT_EQ(volume->GetValue(), 0u);
  EXPECT_TRUE(volume->m_bReady);
}

TEST(MixerVolume, AMonoSinkHasNoChannelToSpare) {
  PulseDaemon pulse;
  pulse.Pactl({"load-module", "module-null-sink", "sink_name=mono", "channels=1"});
  pulse.Pactl({"set-default-sink", "mono"});
  std::unique_ptr<CMixerVolume> volume = NewSpeakerVolume();
  ASSERT_TRUE(volume->m_bReady);
  EXPECT_EQ(volume->m_dwControlID, SinkIndex(pulse, "mono"));
  EXPECT_EQ(volume->m_cChannels, 0u);
  ASSERT_EQ(volume->SetValue(16384), 1);
  std::vector<ChannelVolume> channels = SinkVolume(pulse, "mono");
  ASSERT_EQ(channels.size(), 1u);
  EXPECT_EQ(channels[0].percent, 25);
  EXPECT_EQ(SinkVolume(pulse)[0].percent, 100);  // the other sink is left alone
}

TEST(MixerVolume, AServerThatIsGoneDisablesItForGood) {
  PulseDaemon pulse;
  std::unique_ptr<CMixerVolume> volume = NewSpeakerVolume();
  ASSERT_EQ(volume->SetValue(32768), 1);
  pulse.Kill();
  EXPECT_EQ(volume->GetValue(), 0u);
  EXPECT_FALSE(volume->m_bReady);
  std::unique_ptr<CMixerVolume> late = NewSpeakerVolume();  // and it never starts a server
  EXPECT_FALSE(late->m_bReady);
  EXPECT_EQ(late->SetValue(65535), 0);

  // Back on the same socket, the server is not asked again.
  pulse.Start();
  pulse.Pactl({"set-sink-volume", PulseDaemon::SINK_NAME, "30%"});
  EXPECT_EQ(volume->GetValue(), 0u);
  EXPECT_EQ(volume->SetValue(65535), 0);
  EXPECT_EQ(late->GetValue(), 0u);
  EXPECT_EQ(SinkVolume(pulse)[0].percent, 30);
}

TEST(MixerVolume, AServerThatDoesNotAnswerCountsAsAFailure) {
  PulseDaemon pulse;
  std::unique_ptr<CMixerVolume> volume = NewSpeakerVolume();
  ASSERT_TRUE(volume->m_bReady);
  pulse.Freeze();
  EXPECT_EQ(volume->SetValue(0), 0);
  EXPECT_FALSE(volume->m_bReady);
  std::unique_ptr<CMixerVolume> late = NewSpeakerVolume();
  EXPECT_FALSE(late->m_bReady);

  pulse.Thaw();
  EXPECT_EQ(volume->GetValue(), 0u);
  EXPECT_EQ(SinkVolume(pulse)[0].percent, 100);
}
