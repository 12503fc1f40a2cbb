# The widget-free core (text, puzzle, pieces), its tests and the fuzz replays, without Qt:
# the part of the project that builds for Windows with MinGW-w64.
add_subdirectory(src/text)
add_subdirectory(src/puzzle)
add_subdirectory(src/pieces)
add_subdirectory(src/session)

if(PDT_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    include(cmake/TargetGTest.cmake)
  endif()
  add_subdirectory(fuzz)
  enable_testing()
  add_subdirectory(tests)
endif()
