# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# The Debian packages: `cpack -G DEB` in the build folder (or scripts/package)
# makes one package for each install component, NAME_VERSION-1_ARCH.deb, with
# dependencies computed from the programs by dpkg-shlibdeps:
#   player     zrvplayer            the player, its tools and companions
#   gstreamer  gstreamer1.0-zrv     the GStreamer plugin
#   vlc        vlc-plugin-zrv       the VLC module (when it is built)
#   kde        kio-thumbnail-zrv    the KDE thumbnail plugin (when it is built)
# so that installing the player pulls in no other player's or desktop's
# libraries, and each plugin only its host's.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zrvplayer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZRV Player developers")
set(CPACK_PACKAGE_CONTACT "ZRV Player developers <zrvplayer@qorvex.example>")
# Each package's description starts with its own summary line: CPack would
# put one summary, CPACK_PACKAGE_DESCRIPTION_SUMMARY, in front of them all.
set(ZRV_PLAYER_SUMMARY "player for ZRV clips from camera phones")
set(CPACK_PACKAGE_DESCRIPTION
"ZRV Player plays ZRV clips, the videos that old camera phones recorded:
JPEG pictures stored back to back, optionally followed by an AMR sound
track. It plays a clip with its sound, pauses, seeks, changes speed and
zoom, and saves frames as pictures, in Chinese or English.

The zrvtool command gives the same core to the shell: it inspects clips,
extracts frames and sound, and makes the previews that file managers show
for clips. Plugins for GStreamer and VLC, which let those players play
clips too, come in packages of their own.")
set(ZRV_PACKAGE_SUMMARY_LINE "ZRV clips are the videos that old camera phones recorded: JPEG pictures
stored back to back, optionally followed by an AMR sound track.")
# GPL version 3 or later: the programs link Debian's FFmpeg, built with
# libx264 under the GPL. The full text is COPYING; the Debian copyright file
# says the same in its own format.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/COPYING)
set(CPACK_RPM_PACKAGE_LICENSE GPL-3.0-or-later)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE http://www.qorvex.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)

# The plugins' packages: each built with the host it plugs into. `summary`
# is the package's one-line description, `text` its paragraph.
get_cmake_property(ZRV_COMPONENTS COMPONENTS)
set(ZRV_PLUGIN_PACKAGES)
function(zrv_plugin_package component package summary text)
  if(NOT component IN_LIST ZRV_COMPONENTS)
    return()
  endif()
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package} PARENT_SCOPE)
  set(CPACK_DEBIAN_${upper}_DESCRIPTION "${summary}\n${ZRV_PACKAGE_SUMMARY_LINE}\n\n${text}" PARENT_SCOPE)
  set(CPACK_COMPONENT_${upper}_DESCRIPTION "${summary}\n${ZRV_PACKAGE_SUMMARY_LINE}\n\n${text}" PARENT_SCOPE)
  zrv_install_package_docs(${component} ${package})
  set(ZRV_PLUGIN_PACKAGES ${ZRV_PLUGIN_PACKAGES} ${package} PARENT_SCOPE)
endfunction()

zrv_plugin_package(gstreamer gstreamer1.0-zrv "GStreamer plugin for ZRV clips"
"This plugin lets every GStreamer player (Videos, Clapper, Parole,
gst-play-1.0) play ZRV clips, with their sound, length and seeking.")
# It hands frames and sound to these packages' decoders.
set(CPACK_DEBIAN_GSTREAMER_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly")
set(CPACK_DEBIAN_GSTREAMER_PACKAGE_SECTION libs)

zrv_plugin_package(vlc vlc-plugin-zrv "VLC plugin for ZRV clips"
"This plugin lets VLC play ZRV clips, with their sound, length and
seeking, instead of showing their first picture.")
# A VLC module loads only into the plugin ABI it was built for, as VLC's own
# plugin packages declare; VLC's JPEG and AMR decoders are in vlc-plugin-base.
if(TARGET zrv_plugin)
  set(CPACK_DEBIAN_VLC_PACKAGE_DEPENDS "vlc-plugin-abi-${ZRV_VLC_PLUGIN_ABI}")
  set(CPACK_DEBIAN_VLC_PACKAGE_RECOMMENDS "vlc-plugin-base")
  set(CPACK_DEBIAN_VLC_PACKAGE_SECTION video)
  # VLC's plugin cache is rebuilt when the module comes or goes.
  set(ZRV_VLC_TRIGGERS ${PROJECT_BINARY_DIR}/package/vlc/triggers)
  file(WRITE ${ZRV_VLC_TRIGGERS} "activate-noawait ${ZRV_VLC_PLUGINS_DIR}\n")
  set(CPACK_DEBIAN_VLC_PACKAGE_CONTROL_EXTRA ${ZRV_VLC_TRIGGERS})
endif()

zrv_plugin_package(kde kio-thumbnail-zrv "KDE thumbnail plugin for ZRV clips"
"This plugin lets Dolphin and every KDE program show previews of ZRV clips.")
set(CPACK_DEBIAN_KDE_PACKAGE_SECTION kde)

set(CPACK_DEBIAN_PLAYER_PACKAGE_NAME zrvplayer)
set(CPACK_DEBIAN_PLAYER_DESCRIPTION "${ZRV_PLAYER_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
# The manual is a CHM file, which a viewer reads; without one the player opens
# the same manual's HTML pages in the browser. The plugins bring clips to
# other players.
list(JOIN ZRV_PLUGIN_PACKAGES ", " ZRV_PLUGIN_SUGGESTS)
set(CPACK_DEBIAN_PLAYER_PACKAGE_SUGGESTS "xchm, ${ZRV_PLUGIN_SUGGESTS}")
# Under a bare window manager xdg-open types a file by asking mimetype, when
# it is there, which reads the clip types' globs; without it, file(1) calls
# a clip a JPEG picture and an image viewer opens it.
set(CPACK_DEBIAN_PLAYER_PACKAGE_RECOMMENDS "libfile-mimeinfo-perl")

include(CPack)
