# The Debian package: `cpack -G DEB` in the build folder (or scripts/package)
# makes zrvplayer_VERSION-1_ARCH.deb from the install rules, with its
# dependencies computed from the programs by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zrvplayer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZRV Player developers")
set(CPACK_PACKAGE_CONTACT "ZRV Player developers <zrvplayer@qorvex.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for ZRV clips from camera phones")
set(CPACK_PACKAGE_DESCRIPTION
"ZRV Player plays ZRV clips, the videos that old camera phones recorded:
JPEG pictures stored back to back, optionally followed by an AMR sound
track. It plays a clip with its sound, pauses, seeks, changes speed and
zoom, and saves frames as pictures, in Chinese or English.

The zrvtool command gives the same core to the shell: it inspects clips,
extracts frames and sound, and makes the previews that file managers show
for clips. A GStreamer plugin lets every GStreamer player (Videos, Clapper,
Parole, gst-play-1.0) play clips too.")
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
# The plugin hands frames and sound to these packages' decoders.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly")
# The manual is a CHM file, which a viewer reads; without one the player opens
# the same manual's HTML pages in the browser.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xchm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
