# zrv_clip_maker: what zrvtool make draws, encodes and checks, in a library of
# its own so that tests make their clips with the same code. Also the demo
# clip that the build writes beside the programs.
add_library(zrv_clip_maker STATIC
  ${CMAKE_CURRENT_LIST_DIR}/seven_segment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_pattern.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tone.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/make_sound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/make_frames.cpp
)
target_include_directories(zrv_clip_maker PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zrv_clip_maker
  PUBLIC zrv_container zrv_image zrv_audio zrv_audio_encoder)

# Twelve seconds at 8 frames a second, 176 x 144, plain layout, with the tone.
set(ZRV_DEMO_CLIP ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/demo.zrv)
add_custom_command(OUTPUT ${ZRV_DEMO_CLIP}
  COMMAND zrvtool make --frames 96 --size 176x144 --fps 8 --layout plain --sound tone ${ZRV_DEMO_CLIP}
  DEPENDS zrvtool
  COMMENT "Making the demo clip demo.zrv"
  VERBATIM)
add_custom_target(demo_clip ALL DEPENDS ${ZRV_DEMO_CLIP})
