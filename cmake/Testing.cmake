# Test plumbing shared by every folder.
#
#   kx_add_gtest(<name> SOURCES ... [LIBS ...] [GUI])
#     A GoogleTest program registered with CTest. Natively it runs as is; in
#     the Windows trees it runs under Wine in this tree's private prefix (and
#     Xvfb display), serially. Every run writes a GoogleTest XML report that
#     scripts/run-tests.sh adds up into the closing "N passed, N failed" line.
#
#   kx_add_wine_test(<name> COMMAND ...)
#     Any other command that needs the tree's Wine prefix and display.

set(KX_REPORT_DIR ${CMAKE_BINARY_DIR}/test-reports)

if(WIN32)
  if(NOT TARGET GTest::gtest_main)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()

  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KX_WINE_ARCH win64)
  else()
    set(KX_WINE_ARCH win32)
  endif()
  set(KX_WINE_DISPLAY ":91" CACHE STRING "Xvfb display used by this tree's Wine tests")
  set(KX_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(KX_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
  # Every Windows executable run by CTest (and by custom commands through
  # $<TARGET_FILE>) goes through Wine in this tree's prefix.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KX_WINE_RUN};${KX_WINE_ARCH};${KX_WINE_PREFIX};${KX_WINE_DISPLAY})

  add_test(NAME fixture.xvfb.start
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/xvfb.sh start ${KX_WINE_DISPLAY} ${CMAKE_BINARY_DIR}/xvfb.pid)
  set_tests_properties(fixture.xvfb.start PROPERTIES FIXTURES_SETUP xvfb RUN_SERIAL ON)
  add_test(NAME fixture.xvfb.stop
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/xvfb.sh stop ${KX_WINE_DISPLAY} ${CMAKE_BINARY_DIR}/xvfb.pid)
  set_tests_properties(fixture.xvfb.stop PROPERTIES FIXTURES_CLEANUP xvfb RUN_SERIAL ON)

  add_test(NAME fixture.wineprefix.init
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh init ${KX_WINE_ARCH} ${KX_WINE_PREFIX} ${KX_WINE_DISPLAY})
  set_tests_properties(fixture.wineprefix.init PROPERTIES
    FIXTURES_SETUP wineprefix FIXTURES_REQUIRED xvfb RUN_SERIAL ON TIMEOUT 600)
  add_test(NAME fixture.wineprefix.stop
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh stop ${KX_WINE_ARCH} ${KX_WINE_PREFIX} ${KX_WINE_DISPLAY})
  set_tests_properties(fixture.wineprefix.stop PROPERTIES
    FIXTURES_CLEANUP wineprefix FIXTURES_REQUIRED xvfb RUN_SERIAL ON)
else()
  find_package(GTest REQUIRED)
endif()

function(kx_wine_test_properties name)
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED "xvfb;wineprefix"
    RUN_SERIAL ON
    ENVIRONMENT "WINEDEBUG=-all")
endfunction()

function(kx_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gtest kx_project_options)
  if(WIN32)
    set(report "xml:Z:${KX_REPORT_DIR}/${name}.xml")
  else()
    set(report "xml:${KX_REPORT_DIR}/${name}.xml")
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "GTEST_OUTPUT=${report};${T_ENV}" TIMEOUT 900)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED "xvfb;wineprefix" RUN_SERIAL ON
      ENVIRONMENT "GTEST_OUTPUT=${report};WINEDEBUG=-all;${T_ENV}")
  endif()
endfunction()

function(kx_add_wine_test name)
  cmake_parse_arguments(T "" "" "COMMAND;ENV" ${ARGN})
  add_test(NAME ${name} COMMAND ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED "xvfb;wineprefix" RUN_SERIAL ON TIMEOUT 900
    ENVIRONMENT "WINEDEBUG=-all;${T_ENV}")
endfunction()
