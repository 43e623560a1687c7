# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# zrv_audio_device: wave playback (SDL2) and master volume (libpulse).
# SDL2 and libpulse are reached from these files only.
pkg_check_modules(ZRV_SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(ZRV_PULSE REQUIRED IMPORTED_TARGET libpulse)

add_library(zrv_audio_device STATIC
  ${CMAKE_CURRENT_LIST_DIR}/wav_pcm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mci_wave.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mixer_volume.cpp
)
target_include_directories(zrv_audio_device PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zrv_audio_device PRIVATE PkgConfig::ZRV_SDL2 PkgConfig::ZRV_PULSE)
