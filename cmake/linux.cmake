# Linux: the POSIX platform layer, the FLTK dialog and the program.
add_subdirectory(src/platform/posix)
if(EXISTS ${CMAKE_SOURCE_DIR}/src/dialog/fltk/CMakeLists.txt)
  add_subdirectory(src/dialog/fltk)
endif()
