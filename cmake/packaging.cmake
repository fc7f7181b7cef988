# `make package` (cpack in the build tree) makes a Debian package of what
# cmake/install.cmake installs, under /usr: ballcourse_VERSION_ARCH.deb.
# Its dependencies are not listed here: dpkg-shlibdeps (package dpkg-dev)
# reads them off the shared libraries that the program is linked against.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ballcourse)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT
  "Seed 08b1adfd maintainers <maintainers@users.noreply.c-seed-08b1adfd.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3-D construction toy with a bouncing ball")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Build an obstacle course out of box blocks and curved ramps taken from two\n\
palettes, carry each piece with the mouse, turn it with the keys or a virtual\n\
trackball, and watch a ball fall and bounce off every piece it meets. The ball\n\
can be paused, stepped one frame at a time and put back at its start; the\n\
camera zooms and swings around the course.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian's games section expects its programs in /usr/games,
# which is off root's search path; see cmake/install.cmake for why bin/.
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
