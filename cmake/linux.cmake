# Linux: the POSIX platform layer, the GTK dialog and the program, and what
# it installs.
include(GNUInstallDirs)
# The fuzz build needs only the layer: no GTK or benchmark there.
set(tarnivo_linux_dirs src/platform/posix)
if(NOT TARNIVO_FUZZ)
  list(APPEND tarnivo_linux_dirs src/dialog/gtk)
endif()
set(TARNIVO_DATA_SOURCE ${CMAKE_SOURCE_DIR}/data)
set(TARNIVO_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/tarnivo)
foreach(dir ${tarnivo_linux_dirs})
  add_subdirectory(${dir})
endforeach()
if(NOT TARNIVO_FUZZ)
  include(cmake/linux-package.cmake)
endif()
