# SPDX-License-Identifier: GPL-3.0-or-later
# The clang-tidy gate of `make test` (target "tidy"): the checks of .clang-tidy over the changed
# tree of the folders below. docs/decisions.md ("Checks") says what "changed" means and what a
# full run costs.
#
# Every folder of the program's own code and its tests.
set(QUILLET_TIDY_FOLDERS
    platform texts core app profiles disc controls cli ferrule
    libs/dolmar libs/mkvextract libs/veneer libs/subtitles bench/engine
    tests/platform tests/texts tests/core tests/app tests/profiles tests/disc tests/controls
    tests/subtitles tests/cli tests/ferrule tests/dolmar tests/mkvextract tests/support)

find_program(QUILLET_CLANG_TIDY clang-tidy)
find_package(Python3 COMPONENTS Interpreter)
if(QUILLET_CLANG_TIDY AND Python3_Interpreter_FOUND)
    include(ProcessorCount)
    ProcessorCount(QUILLET_TIDY_JOBS)
    add_custom_target(tidy
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/clang-tidy-gate.py
                --source ${CMAKE_SOURCE_DIR} --build ${CMAKE_BINARY_DIR}
                --jobs ${QUILLET_TIDY_JOBS} --baseline ${CMAKE_SOURCE_DIR}/.ci/tidy-baseline
                ${QUILLET_TIDY_FOLDERS}
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} COMMENT "Running clang-tidy on the changed tree"
        USES_TERMINAL VERBATIM)
    # Every unit, whatever the stamps and the baseline say: before the baseline moves.
    add_custom_target(tidy-full
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/clang-tidy-gate.py
                --source ${CMAKE_SOURCE_DIR} --build ${CMAKE_BINARY_DIR}
                --jobs ${QUILLET_TIDY_JOBS} --full ${QUILLET_TIDY_FOLDERS}
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} COMMENT "Running clang-tidy on every unit"
        USES_TERMINAL VERBATIM)
endif()
