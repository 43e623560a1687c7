# zrv_clip_maker: what zrvtool make draws, encodes and checks, in a library of
# its own so that tests make their clips with the same code. Also the demo
# clip that the build writes beside the programs.
pkg_check_modules(ZRVTOOL_AMRNB REQUIRED IMPORTED_TARGET opencore-amrnb)

add_library(zrv_clip_maker STATIC
  ${CMAKE_CURRENT_LIST_DIR}/seven_segment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_pattern.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tone.cpp
  ${CMAKE_CURRENT_LIST_DIR}/amr_encoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_grey.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wav_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pending_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/make_sound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/make_frames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clip_check.cpp
)
target_include_directories(zrv_clip_maker PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zrv_clip_maker
  PUBLIC zrv_container zrv_image zrv_audio
  PRIVATE PkgConfig::ZRVTOOL_AMRNB PkgConfig::LIBJPEG)

# Twelve seconds at 8 frames a second, 176 x 144, plain layout, with the tone.
set(ZRV_DEMO_CLIP ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/demo.zrv)
add_custom_command(OUTPUT ${ZRV_DEMO_CLIP}
  COMMAND zrvtool make --frames 96 --size 176x144 --fps 8 --layout plain --sound tone ${ZRV_DEMO_CLIP}
  DEPENDS zrvtool
  COMMENT "Making the demo clip demo.zrv"
  VERBATIM)
add_custom_target(demo_clip ALL DEPENDS ${ZRV_DEMO_CLIP})
