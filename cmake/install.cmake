# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# What `cmake --install BUILD --prefix P` puts where:
#   P/lib/zrvplayer/        the player, zrvtool (and zrvtool-export, which runs its
#                           export and import), the manual, ClipConvert.exe,
#                           "ZRV Swift Changer.exe" and
#                           links to the player's icons (P/share/zrvplayer/icons)
#                           and the manual's HTML (P/share/zrvplayer/manual):
#                           they find each other in this folder (the player
#                           reads its own through /proc/self/exe)
#   P/bin/zrvplayer, P/bin/zrvtool   relative links to them
#   P/share/applications/, mime/packages/, icons/hicolor/, thumbnailers/
#                           written by the same code as the per-user files of
#                           every start, naming the programs by their links
#   P/share/metainfo/       AppStream metadata
#   P/share/man/man1/       zrvtool.1.gz, zrvplayer.1.gz
#   P/share/doc/zrvplayer/  copyright and changelog, as a Debian package has them
#   P/lib/<multiarch>/gstreamer-1.0/libgstzrv.so   the GStreamer plugin, where
#                           GStreamer's own plugins lie relative to its prefix:
#                           with P = /usr (the package), GStreamer's plugin folder
#   P/lib/<multiarch>/vlc/plugins/demux/libzrv_plugin.so   the VLC module, the
#                           same way relative to VLC's prefix (when it is built)
#   P/share/doc/PACKAGE/    copyright and changelog of each plugin's package
include(GNUInstallDirs)

set(ZRV_PROGRAM_DIR lib/zrvplayer)

add_subdirectory(res/man)

# Everything the install rules take, so that a package can be made without
# building the tests (scripts/package).
add_custom_target(zrv_installable)
add_dependencies(zrv_installable zrvplayer zrvtool zrvtool-export zrv_install_desktop zrv_manual zrv_html_manual zrv_icons
  zrv_man_pages zrv_changelog gstzrv)

# GStreamer's plugin folder (pkg-config's pluginsdir) relative to GStreamer's
# own prefix, so that an install into that prefix puts the plugin where every
# GStreamer program looks.
pkg_get_variable(ZRV_GST_PREFIX gstreamer-1.0 prefix)
pkg_get_variable(ZRV_GST_PLUGINS_DIR gstreamer-1.0 pluginsdir)
file(RELATIVE_PATH ZRV_GST_PLUGIN_SUBDIR ${ZRV_GST_PREFIX} ${ZRV_GST_PLUGINS_DIR})
set(ZRV_GST_PLUGIN_INSTALL_DIR ${ZRV_GST_PLUGIN_SUBDIR} CACHE STRING
  "Where the GStreamer plugin goes, relative to the install prefix")
install(TARGETS gstzrv LIBRARY DESTINATION ${ZRV_GST_PLUGIN_INSTALL_DIR} COMPONENT gstreamer)

# VLC's demux modules' folder, the same way; VLC reads a cache of its plugins
# there, refreshed by vlc-cache-gen when the module goes into VLC's own folder.
if(TARGET zrv_plugin)
  pkg_get_variable(ZRV_VLC_PREFIX vlc-plugin prefix)
  pkg_get_variable(ZRV_VLC_PLUGINS_DIR vlc-plugin pluginsdir)
  file(RELATIVE_PATH ZRV_VLC_PLUGIN_SUBDIR ${ZRV_VLC_PREFIX} ${ZRV_VLC_PLUGINS_DIR})
  set(ZRV_VLC_PLUGIN_INSTALL_DIR ${ZRV_VLC_PLUGIN_SUBDIR}/demux CACHE STRING
    "Where the VLC module goes, relative to the install prefix")
  install(TARGETS zrv_plugin LIBRARY DESTINATION ${ZRV_VLC_PLUGIN_INSTALL_DIR} COMPONENT vlc)
  get_filename_component(ZRV_VLC_LIB_DIR ${ZRV_VLC_PLUGINS_DIR} DIRECTORY)
  install(CODE "
    set(cache_gen \"${ZRV_VLC_LIB_DIR}/vlc-cache-gen\")
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\" AND EXISTS \"\${cache_gen}\" AND
       \"\${CMAKE_INSTALL_PREFIX}/${ZRV_VLC_PLUGIN_SUBDIR}\" STREQUAL \"${ZRV_VLC_PLUGINS_DIR}\")
      message(STATUS \"Refreshing VLC's plugin cache\")
      execute_process(COMMAND \"\${cache_gen}\" \"${ZRV_VLC_PLUGINS_DIR}\")
    endif()" COMPONENT vlc)
  add_dependencies(zrv_installable zrv_plugin)
endif()

install(TARGETS zrvplayer zrvtool zrvtool-export RUNTIME DESTINATION ${ZRV_PROGRAM_DIR})
install(FILES "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/ZRV Player帮助.chm" DESTINATION ${ZRV_PROGRAM_DIR})
# The player looks for its window icons beside itself; they are data, so they
# live under share/ with a link to them.
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/icons DESTINATION ${CMAKE_INSTALL_DATADIR}/zrvplayer)
# So is the manual's HTML, which the player opens where no CHM viewer is.
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/manual DESTINATION ${CMAKE_INSTALL_DATADIR}/zrvplayer)

# The KDE thumbnail plugin, when KF5 was found, in a component of its own
# (kde/CMakeLists.txt installs it) so that a package of its own takes it.
if(TARGET zrvthumbnail)
  add_dependencies(zrv_installable zrvthumbnail)
endif()

# The two companions are targets of their own folders; each is installed
# when the project has it, whatever the order its folder is added in.
function(zrv_install_companions)
  foreach(companion ClipConvert.exe zrv_swift_changer)
    if(TARGET ${companion})
      install(TARGETS ${companion} RUNTIME DESTINATION ${ZRV_PROGRAM_DIR})
      add_dependencies(zrv_installable ${companion})
    endif()
  endforeach()
endfunction()
cmake_language(DEFER CALL zrv_install_companions)

# Links are relative, so that the installed tree can move (DESTDIR, a package).
file(RELATIVE_PATH ZRV_BIN_TO_PROGRAMS /p/${CMAKE_INSTALL_BINDIR} /p/${ZRV_PROGRAM_DIR})
file(RELATIVE_PATH ZRV_PROGRAMS_TO_ICONS /p/${ZRV_PROGRAM_DIR} /p/${CMAKE_INSTALL_DATADIR}/zrvplayer/icons)
file(RELATIVE_PATH ZRV_PROGRAMS_TO_MANUAL /p/${ZRV_PROGRAM_DIR} /p/${CMAKE_INSTALL_DATADIR}/zrvplayer/manual)
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/${CMAKE_INSTALL_BINDIR}\")
  foreach(program zrvplayer zrvtool)
    message(STATUS \"Installing: \${root}/${CMAKE_INSTALL_BINDIR}/\${program}\")
    file(CREATE_LINK ${ZRV_BIN_TO_PROGRAMS}/\${program} \"\${root}/${CMAKE_INSTALL_BINDIR}/\${program}\"
         SYMBOLIC)
  endforeach()
  file(CREATE_LINK ${ZRV_PROGRAMS_TO_ICONS} \"\${root}/${ZRV_PROGRAM_DIR}/icons\" SYMBOLIC)
  file(CREATE_LINK ${ZRV_PROGRAMS_TO_MANUAL} \"\${root}/${ZRV_PROGRAM_DIR}/manual\" SYMBOLIC)
  message(STATUS \"Installing: \${root}/${CMAKE_INSTALL_DATADIR}: desktop entry, MIME package, icons, thumbnailer\")
  execute_process(
    COMMAND \"$<TARGET_FILE:zrv_install_desktop>\" \"\${root}/${CMAKE_INSTALL_DATADIR}\"
            \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zrvplayer\"
            \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zrvtool\"
            \"${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/icons\"
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR \"the desktop files could not be written\")
  endif()
")

# The release's date is the one its changelog entry carries, never the day of
# the build: two builds of one release give the same files.
file(STRINGS res/debian/changelog ZRV_RELEASE_LINE REGEX "^ -- " LIMIT_COUNT 1)
if(NOT ZRV_RELEASE_LINE MATCHES ">  [A-Za-z]+, ([0-9]+) ([A-Za-z]+) ([0-9]+) ")
  message(FATAL_ERROR "res/debian/changelog: no date in the first entry's trailer line")
endif()
set(day ${CMAKE_MATCH_1})
set(year ${CMAKE_MATCH_3})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} month)
if(month EQUAL -1)
  message(FATAL_ERROR "res/debian/changelog: unknown month '${CMAKE_MATCH_2}'")
endif()
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
string(LENGTH "${day}" day_digits)
if(day_digits EQUAL 1)
  set(day 0${day})
endif()
if(month LESS 10)
  set(month 0${month})
endif()
set(ZRV_RELEASE_DATE ${year}-${month}-${day})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/debian/changelog)
set(ZRV_METAINFO ${PROJECT_BINARY_DIR}/metainfo/example.qorvex.zrvplayer.metainfo.xml)
configure_file(res/desktop/example.qorvex.zrvplayer.metainfo.xml.in ${ZRV_METAINFO} @ONLY)
install(FILES ${ZRV_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${ZRV_MAN_DIR}/zrvtool.1.gz ${ZRV_MAN_DIR}/zrvplayer.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian wants the changelog compressed with gzip -9n, as the manual pages.
set(ZRV_DOC_DIR ${PROJECT_BINARY_DIR}/doc)
add_custom_command(OUTPUT ${ZRV_DOC_DIR}/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZRV_DOC_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/res/debian/changelog ${ZRV_DOC_DIR}/changelog.Debian
  COMMAND ${GZIP} -9 -n -f ${ZRV_DOC_DIR}/changelog.Debian
  DEPENDS ${PROJECT_SOURCE_DIR}/res/debian/changelog
  VERBATIM)
add_custom_target(zrv_changelog ALL DEPENDS ${ZRV_DOC_DIR}/changelog.Debian.gz)
install(FILES res/debian/copyright ${ZRV_DOC_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Every package carries them in its own folder, as Debian asks.
function(zrv_install_package_docs component package)
  install(FILES res/debian/copyright ${ZRV_DOC_DIR}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endfunction()
