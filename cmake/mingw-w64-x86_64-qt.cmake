# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model), linking the
# compiler's runtime as DLLs. scripts/build-qt-windows builds Qt with a copy of this file that
# it keeps in Qt's folder; applications configured through that Qt's qt-cmake load the copy
# again, so Qt and the programs share one C++ runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PDT_MINGW_TRIPLET x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER ${PDT_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${PDT_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${PDT_MINGW_TRIPLET}-windres REQUIRED)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${PDT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
