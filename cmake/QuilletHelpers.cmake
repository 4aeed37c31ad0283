# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers shared by the folders' CMakeLists.

set(QUILLET_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# quillet_add_test(NAME <target> SOURCES <files...> LIBS <targets...>
#                  [LABELS <labels...>] [INTEGRATION_SUITES <suites...>]
#                  [SANITIZE_SUITES <suites...>] [QT])
#
# One GoogleTest executable per subsystem. Every test gets a label saying what it needs:
#   unit         nothing but the program folder: no media generated at test time (ctest -L unit
#                runs in seconds)
#   integration  clips or Matroska files made at test time, or whole conversions
#   sanitize     what the sanitizer build (make sanitize) runs
# LABELS lists the labels of every test of the executable (unit when not given). An executable
# with both unit and integration tests names the suites that need media in INTEGRATION_SUITES;
# its other tests are unit tests (without INTEGRATION_SUITES, all of them count as integration).
# SANITIZE_SUITES adds sanitize to the tests of those suites.
#
# QT tests provide their own main() (building the QApplication); the others get gtest_main. Test
# binaries live outside the program folder and find its libraries through an absolute RPATH.
function(quillet_add_test)
    cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS;LABELS;INTEGRATION_SUITES;SANITIZE_SUITES"
                          ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock quillet_testsupport)
    if(NOT T_QT)
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    set_target_properties(${T_NAME} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${QUILLET_TEST_DIR}
        BUILD_RPATH "${QUILLET_PROGRAM_DIR}")

    if(NOT T_LABELS)
        set(T_LABELS unit)
    endif()
    set(common_labels ${T_LABELS})
    set(split_by_suite FALSE)
    if("unit" IN_LIST T_LABELS AND "integration" IN_LIST T_LABELS)
        list(REMOVE_ITEM common_labels unit integration)
        set(split_by_suite TRUE)
    endif()
    string(JOIN "|" integration_suites ${T_INTEGRATION_SUITES})
    string(JOIN "|" sanitize_suites ${T_SANITIZE_SUITES})

    set(env "QUILLET_PROGRAM_DIR=${QUILLET_PROGRAM_DIR}")
    if(T_QT)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    # The tests are known only once ctest lists them (gtest_discover_tests cannot pass lists
    # through its own PROPERTIES), so labels and environment are set by a script ctest includes
    # after the listing. A test's name is "[Instance/]Suite.name[/N]".
    set(properties_script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake)
    file(WRITE ${properties_script} "foreach(test IN LISTS ${T_NAME}_TESTS)\n"
                                    "    set(labels ${common_labels})\n")
    if(split_by_suite)
        if(integration_suites)
            file(APPEND ${properties_script}
                 "    if(test MATCHES \"^([^.]*/)?(${integration_suites})\\\\.\")\n"
                 "        list(APPEND labels integration)\n"
                 "    else()\n"
                 "        list(APPEND labels unit)\n"
                 "    endif()\n")
        else()
            file(APPEND ${properties_script} "    list(APPEND labels integration)\n")
        endif()
    endif()
    if(sanitize_suites)
        file(APPEND ${properties_script}
             "    if(test MATCHES \"^([^.]*/)?(${sanitize_suites})\\\\.\")\n"
             "        list(APPEND labels sanitize)\n"
             "    endif()\n")
    endif()
    file(APPEND ${properties_script}
         "    set_tests_properties(\${test} PROPERTIES LABELS \"\${labels}\"\n"
         "                         ENVIRONMENT \"${env}\")\n"
         "endforeach()\n")
    # PRE_TEST: listing happens when ctest runs, so a build never starts test binaries.
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        TEST_LIST ${T_NAME}_TESTS
        DISCOVERY_TIMEOUT 60)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_script})
endfunction()

# quillet_export_only(<target> <version script>)
# An outside library (libdolmar, libmkvextract, ...) exports its C entry points and nothing
# else: hidden visibility for its code, a version script naming the entry points (libstdc++'s
# template statics keep default visibility whatever the flags say), and no undefined symbol left
# for the program that loads it to discover.
function(quillet_export_only target version_script)
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        C_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    target_link_options(${target} PRIVATE -Wl,--version-script=${version_script}
                        -Wl,--no-undefined)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${version_script})
endfunction()
