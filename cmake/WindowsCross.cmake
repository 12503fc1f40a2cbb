# The editor and adxtool cross-built for Windows against the Qt of scripts/build-qt-windows
# (configured through its qt-cmake). Test programs run under Wine, in a Wine prefix of the
# build folder's own, finding Qt's and the C++ runtime's DLLs through WINEPATH; a window test
# needs DISPLAY (Xvfb) from the environment. Tests that cannot run there are listed in
# tests/windows-exclusions.txt and left out by ctest.
find_program(PDT_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT PDT_WINE)
  message(FATAL_ERROR "Wine is needed to run the Windows tests (Debian package wine64)")
endif()

get_filename_component(pdt_qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
  OUTPUT_VARIABLE pdt_runtime_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(pdt_runtime_dir "${pdt_runtime_dll}" DIRECTORY)
set(pdt_wine_path "")
foreach(dir ${pdt_qt_prefix}/bin ${pdt_runtime_dir} /usr/${PDT_MINGW_TRIPLET}/lib)
  string(REPLACE "/" "\\\\" dir "${dir}")
  string(APPEND pdt_wine_path "Z:${dir};")
endforeach()

set(PDT_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
file(CONFIGURE OUTPUT ${PDT_WINE_RUN} @ONLY CONTENT [[#!/bin/sh
# Runs a Windows program of this build under Wine (written by cmake/WindowsCross.cmake).
export WINEPREFIX="@CMAKE_BINARY_DIR@/wine" WINEDEBUG="${WINEDEBUG--all}" WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="@pdt_wine_path@"
exec "@PDT_WINE@" "$@"
]])
file(CHMOD ${PDT_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PDT_WINE_RUN})

if(PDT_BUILD_TESTS)
  include(cmake/TargetGTest.cmake)
  # ctest reads this file from the build folder: the excluded tests are never started.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/tests/windows-exclusions.txt)
  file(STRINGS ${CMAKE_SOURCE_DIR}/tests/windows-exclusions.txt pdt_excluded REGEX "^[^#]")
  set(pdt_ignore "")
  foreach(line ${pdt_excluded})
    string(REGEX REPLACE "[ \t].*" "" name "${line}")
    string(APPEND pdt_ignore "  \"${name}\"\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/CTestCustom.cmake
    "# From tests/windows-exclusions.txt\nset(CTEST_CUSTOM_TESTS_IGNORE\n${pdt_ignore})\n")
endif()
