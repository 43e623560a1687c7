# What `cmake --install BUILD --prefix P` puts where:
#   P/lib/zrvplayer/        the player, zrvtool (and zrvtool-export, which runs its
#                           export), the manual, ClipConvert.exe,
#                           "ZRV Swift Changer.exe" and
#                           a link to the player's icons (P/share/zrvplayer/icons):
#                           they find each other in this folder (the player
#                           reads its own through /proc/self/exe)
#   P/bin/zrvplayer, P/bin/zrvtool   relative links to them
#   P/share/applications/, mime/packages/, icons/hicolor/, thumbnailers/
#                           written by the same code as the per-user files of
#                           every start, naming the programs by their links
#   P/share/metainfo/       AppStream metadata
#   P/share/man/man1/       zrvtool.1.gz, zrvplayer.1.gz
#   P/share/doc/zrvplayer/  copyright and changelog, as a Debian package has them
include(GNUInstallDirs)

set(ZRV_PROGRAM_DIR lib/zrvplayer)

add_subdirectory(res/man)

# Everything the install rules take, so that a package can be made without
# building the tests (scripts/package).
add_custom_target(zrv_installable)
add_dependencies(zrv_installable zrvplayer zrvtool zrvtool-export zrv_install_desktop zrv_manual zrv_icons
  zrv_man_pages zrv_changelog)

install(TARGETS zrvplayer zrvtool zrvtool-export RUNTIME DESTINATION ${ZRV_PROGRAM_DIR})
install(FILES "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/ZRV Player帮助.chm" DESTINATION ${ZRV_PROGRAM_DIR})
# The player looks for its window icons beside itself; they are data, so they
# live under share/ with a link to them.
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/icons DESTINATION ${CMAKE_INSTALL_DATADIR}/zrvplayer)

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
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/${CMAKE_INSTALL_BINDIR}\")
  foreach(program zrvplayer zrvtool)
    message(STATUS \"Installing: \${root}/${CMAKE_INSTALL_BINDIR}/\${program}\")
    file(CREATE_LINK ${ZRV_BIN_TO_PROGRAMS}/\${program} \"\${root}/${CMAKE_INSTALL_BINDIR}/\${program}\"
         SYMBOLIC)
  endforeach()
  file(CREATE_LINK ${ZRV_PROGRAMS_TO_ICONS} \"\${root}/${ZRV_PROGRAM_DIR}/icons\" SYMBOLIC)
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

string(TIMESTAMP ZRV_RELEASE_DATE "%Y-%m-%d" UTC)
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
