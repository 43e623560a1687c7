# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# Tests of the sound track files. Test tracks are encoded on the spot with
# the real AMR-NB and AMR-WB encoders; sox is the reference decoder, and
# flac that of the FLAC encoder.
pkg_check_modules(AMR_ENCODERS REQUIRED IMPORTED_TARGET opencore-amrnb vo-amrwbenc)

add_library(zrv_amr_test_tracks STATIC ${CMAKE_CURRENT_LIST_DIR}/amr_tracks.cpp)
target_link_libraries(zrv_amr_test_tracks PUBLIC zrv_test_support PRIVATE PkgConfig::AMR_ENCODERS)

zrv_add_test(audio_files_tests
  ${CMAKE_CURRENT_LIST_DIR}/amr_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wav_writer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/amr_to_wav_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/background_conversion_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_interval_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/flac_encoder_test.cpp
)
target_link_libraries(audio_files_tests PRIVATE zrv_audio zrv_amr_test_tracks)
