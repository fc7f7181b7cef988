# SPDX-License-Identifier: MIT
# Usage: cmake -DSITE=DIR -DWORKER=TEMPLATE -P site_version.cmake
# Writes DIR/service_worker.js from TEMPLATE, naming every other file of the
# site (the files the worker keeps) and a version made from their names and
# contents: a build that changes any file gets a new version, and with it a
# cache of its own, filled whole before it is used.
file(GLOB names RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM names service_worker.js)
list(SORT names)
set(digests "")
set(names_kept "")
foreach(name IN LISTS names)
  if(IS_DIRECTORY ${SITE}/${name})
    continue()
  endif()
  file(SHA256 ${SITE}/${name} digest)
  string(APPEND digests "${name} ${digest}\n")
  list(APPEND names_kept "${name}")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 BALLCOURSE_SITE_VERSION)
# The template quotes the list's two ends, so that it stays JavaScript that the
# formatter and linter read: the names go in joined by "', '".
list(JOIN names_kept "', '" BALLCOURSE_SITE_FILES)
configure_file(${WORKER} ${SITE}/service_worker.js @ONLY)
