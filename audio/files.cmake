# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# zrv_audio: the sound track's files: the AMR reader, the WAV writer, the
# conversion between them (also on a thread of its own while the player plays
# it), the frame interval that the sound's length sets, and FLAC for exports.
pkg_check_modules(OPENCORE_AMR REQUIRED IMPORTED_TARGET opencore-amrnb opencore-amrwb)

add_library(zrv_audio STATIC
  ${CMAKE_CURRENT_LIST_DIR}/amr_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/amr_track.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wav_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/amr_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/amr_to_wav.cpp
  ${CMAKE_CURRENT_LIST_DIR}/background_conversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_interval.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wav_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/flac_encoder.cpp
)
target_include_directories(zrv_audio PUBLIC ${PROJECT_SOURCE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(zrv_audio PRIVATE PkgConfig::OPENCORE_AMR PUBLIC Threads::Threads)

# zrv_audio_encoder: AMR-NB and AMR-WB encoding, for the programs that write
# clips (zrvtool make, the import), kept out of the player's libraries.
pkg_check_modules(ZRV_AMR_ENCODERS REQUIRED IMPORTED_TARGET opencore-amrnb vo-amrwbenc)
add_library(zrv_audio_encoder STATIC ${CMAKE_CURRENT_LIST_DIR}/amr_encoder.cpp)
target_include_directories(zrv_audio_encoder PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zrv_audio_encoder PRIVATE PkgConfig::ZRV_AMR_ENCODERS)
