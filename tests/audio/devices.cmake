# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# Tests of the sound devices. SDL's audio starts once per process with the
# driver that SDL_AUDIODRIVER names, so each program that opens a sound output
# picks its driver itself: disk, none at all, or PulseAudio.
set(dir ${CMAKE_CURRENT_LIST_DIR})
add_library(zrv_audio_device_test_support STATIC
  ${dir}/wav_samples.cpp
  ${dir}/disk_output.cpp
  ${dir}/pulse_daemon.cpp
)
target_link_libraries(zrv_audio_device_test_support PUBLIC zrv_audio_device zrv_test_support)

foreach(name wav_pcm mci_wave mci_wave_no_output mci_wave_pulse mixer_volume)
  zrv_add_test(${name}_tests ${dir}/${name}_test.cpp)
  target_link_libraries(${name}_tests PRIVATE zrv_audio_device_test_support)
endforeach()
target_sources(mci_wave_pulse_tests PRIVATE ${dir}/sdl_pulse_leaks.cpp)
