# pdt_module(target module): the library of src/<module>. Its sources and everything that
# links it include its headers as "<module>/name.h", and see nothing else of src/: a unit
# can only include the headers of the libraries it links, so a core unit that reaches for
# an app header, or for Qt, does not build.
function(pdt_module target module)
  set(root ${CMAKE_BINARY_DIR}/include/${module})
  if(NOT EXISTS ${root}/${module})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${module} ${root}/${module} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
