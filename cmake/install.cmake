# What `cmake --install` puts where, relative to the install prefix:
#   bin/ballcourse                                the program
#   share/applications/ballcourse.desktop         its menu entry
#   share/icons/hicolor/NxN/apps/ballcourse.png   its icon, N = 48, 128, 256
#   share/man/man6/ballcourse.6.gz                its manual page
# The program goes to bin/, not games/: bin/ is on the search path of every
# account, root's and a minimal container's included, and so is ~/.local/bin
# for `--prefix ~/.local`, while Debian puts /usr/games and /usr/local/games
# only on the path of ordinary login shells.
include(GNUInstallDirs)

# Installing never builds: `make install` and `make package` build the
# program and the manual page first, and the rest of the tree (tests,
# benchmarks) is not needed to install or package it.
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

install(TARGETS ballcourse RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${BALLCOURSE_DATA_DIR}/ballcourse.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN LISTS BALLCOURSE_ICON_SIZES)
  install(FILES ${BALLCOURSE_DATA_DIR}/icons/hicolor/${size}x${size}/apps/ballcourse.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${BALLCOURSE_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
