# Linux: the POSIX platform layer, the FLTK dialog and the program.
foreach(dir src/platform/posix src/dialog/fltk)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()
