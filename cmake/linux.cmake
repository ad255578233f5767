# Linux: the POSIX platform layer, the FLTK dialog and the program.
# The fuzz build needs only the layer: no FLTK, X11 or benchmark there.
set(tarnivo_linux_dirs src/platform/posix)
if(NOT TARNIVO_FUZZ)
  list(APPEND tarnivo_linux_dirs src/dialog/fltk)
endif()
foreach(dir ${tarnivo_linux_dirs})
  add_subdirectory(${dir})
endforeach()
