# zrv_terminal_text: file names with their control characters made visible,
# for every program that prints them. A file of its own so that builds
# without the windows (the fuzz build) have it too.
add_library(zrv_terminal_text STATIC ${CMAKE_CURRENT_LIST_DIR}/terminal_text.cpp)
target_include_directories(zrv_terminal_text PUBLIC ${PROJECT_SOURCE_DIR})
