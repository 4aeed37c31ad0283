# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers shared by the folders' CMakeLists.

set(QUILLET_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# quillet_add_test(NAME <target> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [QT])
# QT tests provide their own main() (building the QApplication); the others get gtest_main.
# One GoogleTest executable per subsystem. Test binaries live outside the program folder and
# find the program folder's libraries through an absolute build RPATH.
function(quillet_add_test)
    cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock quillet_testsupport)
    # Tests of the Qt parts bring their own main(), which builds the QApplication.
    if(NOT T_QT)
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    set_target_properties(${T_NAME} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${QUILLET_TEST_DIR}
        BUILD_RPATH "${QUILLET_PROGRAM_DIR}")
    if(NOT T_LABELS)
        set(T_LABELS unit)
    endif()
    set(env "QUILLET_PROGRAM_DIR=${QUILLET_PROGRAM_DIR}")
    if(T_QT)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    # Labels go on the test folder and the environment is set once the tests are listed:
    # gtest_discover_tests cannot pass lists through its own PROPERTIES.
    set_property(DIRECTORY APPEND PROPERTY LABELS ${T_LABELS})
    set(properties_script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake)
    file(WRITE ${properties_script}
        "if(${T_NAME}_TESTS)\n"
        "    set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES ENVIRONMENT \"${env}\")\n"
        "endif()\n")
    # PRE_TEST: listing happens when ctest runs, so a build never starts test binaries.
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        TEST_LIST ${T_NAME}_TESTS
        DISCOVERY_TIMEOUT 60)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_script})
endfunction()
