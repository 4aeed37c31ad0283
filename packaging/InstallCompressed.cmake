# SPDX-License-Identifier: GPL-3.0-or-later
# Run at install time (install(CODE) sets the variables): fills in the pages and the changelog for
# the prefix being installed to, compresses them the way Debian wants (gzip -9n: no name, no
# time stamp, so two builds give the same bytes) and installs them.
#   QUILLET_COMPRESS_ITEMS  list of SOURCE|DESTINATION|NAME (DESTINATION relative to the prefix)
#   QUILLET_COMPRESS_WORK   a folder of the build tree for the filled-in copies
#   QUILLET_PROGRAM_DIR_NAME the program folder, relative to the prefix
#   VERSION                 the project's version
# @PROGRAM_DIR@ in a source becomes the installed program folder, @VERSION@ the version. The
# folder is written with roff's break points (\:) after its slashes, so that the long prefix of
# an install into a build tree wraps instead of leaving a line man cannot fit.
string(REPLACE "/" "/\\:" PROGRAM_DIR "${CMAKE_INSTALL_PREFIX}/${QUILLET_PROGRAM_DIR_NAME}")
foreach(item IN LISTS QUILLET_COMPRESS_ITEMS)
    string(REPLACE "|" ";" parts "${item}")
    list(GET parts 0 source)
    list(GET parts 1 destination)
    list(GET parts 2 name)
    set(filled "${QUILLET_COMPRESS_WORK}/${name}")
    configure_file("${source}" "${filled}" @ONLY)
    execute_process(COMMAND gzip -9nf "${filled}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip could not compress ${filled}")
    endif()
    file(INSTALL "${filled}.gz" DESTINATION "${CMAKE_INSTALL_PREFIX}/${destination}"
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
