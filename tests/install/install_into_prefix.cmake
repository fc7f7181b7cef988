# SPDX-License-Identifier: MIT
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -P install_into_prefix.cmake
# Installs the build tree into PREFIX, emptied first so that nothing left from
# an earlier run can stand in for a file the install no longer makes.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install into ${PREFIX} failed: ${status}")
endif()
