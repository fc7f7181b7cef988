# SPDX-License-Identifier: MIT
# What `cmake --install` puts where, relative to the install prefix:
#   games/ballcourse                                 the program
#   share/applications/org.example.ballcourse.desktop  its menu entry
#   share/metainfo/org.example.ballcourse.metainfo.xml  its software-centre entry
#   share/icons/hicolor/NxN/apps/ballcourse.png      its icon, N = 48, 128, 256
#   share/man/man6/ballcourse.6.gz                   its manual page
# The program goes to games/, as Debian's policy has it for games: /usr/games
# and /usr/local/games are on the search path of a desktop session and of
# every ordinary login, which is where the menu entry's Exec=ballcourse is
# looked up. They are not on root's path nor on that of a bare container;
# BALLCOURSE_INSTALL_GAMESDIR=bin puts the program in bin/ for those, and for
# `--prefix ~/.local`, whose games/ no path names.
include(GNUInstallDirs)

set(BALLCOURSE_INSTALL_GAMESDIR games CACHE STRING
  "Folder under the install prefix that receives the program")

# The desktop entry and the software-centre entry share one reverse-DNS id,
# by which a software centre pairs them.
set(BALLCOURSE_APP_ID org.example.ballcourse)

# Installing never builds: `make install` builds the program and the manual
# page first, and the rest of the tree (tests, benchmarks) is not needed to
# install it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(BALLCOURSE_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
set(BALLCOURSE_ICON_SIZES 48 128 256)

# Manual pages are installed compressed, as Debian's man expects them; -n
# keeps the name and time out of the archive so that builds are repeatable.
set(BALLCOURSE_MANPAGE ${CMAKE_BINARY_DIR}/ballcourse.6.gz)
add_custom_command(
  OUTPUT ${BALLCOURSE_MANPAGE}
  COMMAND gzip -9nc ${BALLCOURSE_DATA_DIR}/ballcourse.6 > ${BALLCOURSE_MANPAGE}
  DEPENDS ${BALLCOURSE_DATA_DIR}/ballcourse.6
  VERBATIM)
add_custom_target(ballcourse_manpage ALL DEPENDS ${BALLCOURSE_MANPAGE})

install(TARGETS ballcourse RUNTIME DESTINATION ${BALLCOURSE_INSTALL_GAMESDIR})
install(FILES ${BALLCOURSE_DATA_DIR}/ballcourse.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${BALLCOURSE_APP_ID}.desktop)
install(FILES ${BALLCOURSE_DATA_DIR}/ballcourse.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME ${BALLCOURSE_APP_ID}.metainfo.xml)
foreach(size IN LISTS BALLCOURSE_ICON_SIZES)
  install(FILES ${BALLCOURSE_DATA_DIR}/icons/hicolor/${size}x${size}/apps/ballcourse.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${BALLCOURSE_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
