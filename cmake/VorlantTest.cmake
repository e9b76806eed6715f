# SPDX-License-Identifier: GPL-3.0-or-later
# vorlant_add_test(NAME LIBS...): one GoogleTest executable per unit, registered with ctest.
# Core tests link vorlant_testmain_core (plain gtest main, no Qt); tests of Qt code link
# vorlant_testmain (QApplication under the offscreen platform + gtest).
include(GoogleTest)

function(vorlant_add_test name)
    add_executable(${name} ${name}.cpp)
    target_link_libraries(${name} PRIVATE ${ARGN})
    if(NOT CMAKE_CROSSCOMPILING)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
endfunction()
