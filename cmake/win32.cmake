# Windows: the Win32 platform layer, the Win32 dialog, the program, its zip
# and the test driver that runs the end-to-end scenarios under Wine. The same
# script builds for 32-bit (win32 preset) and 64-bit Windows (win64 preset).
enable_language(RC)

# win32 or win64 in file names; x86 or amd64 in the manifest.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARNIVO_WINDOWS_ARCH win64)
  set(TARNIVO_MANIFEST_ARCH amd64)
else()
  set(TARNIVO_WINDOWS_ARCH win32)
  set(TARNIVO_MANIFEST_ARCH x86)
endif()

# The version as users see it, from the project's version:
# 1.0.0.22 => "1.00.0022" (minor in two digits, build number in four).
math(EXPR tarnivo_minor "100 + ${PROJECT_VERSION_MINOR}")
math(EXPR tarnivo_build "10000 + ${PROJECT_VERSION_TWEAK}")
string(SUBSTRING "${tarnivo_minor}" 1 2 tarnivo_minor)
string(SUBSTRING "${tarnivo_build}" 1 4 tarnivo_build)
set(TARNIVO_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${tarnivo_minor}.${tarnivo_build}")

# The version header and the manifest for this processor, beside the build.
set(TARNIVO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(resources/windows/tarnivo_version.h.in ${TARNIVO_GENERATED_DIR}/tarnivo_version.h @ONLY)
configure_file(resources/windows/tarnivo.manifest.in ${TARNIVO_GENERATED_DIR}/tarnivo.manifest @ONLY)

set(TARNIVO_WIN32_DEFINES UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601)

add_library(tarnivo_win32 STATIC
  src/platform/win32/WinText.cpp
  src/platform/win32/Win32FileSystem.cpp
  src/dialog/win32/FolderIcons.cpp
  src/dialog/win32/HelpWindow.cpp
  src/dialog/win32/Win32Desktop.cpp
  src/dialog/win32/Win32Dialog.cpp
  src/dialog/win32/Program.cpp
)
target_link_libraries(tarnivo_win32 PUBLIC tarnivo_core comctl32 mpr ole32)
target_compile_definitions(tarnivo_win32 PUBLIC ${TARNIVO_WIN32_DEFINES})

# One self-contained exe: no MinGW runtime DLL, only Windows' own.
set(TARNIVO_RESOURCE_FILES
  ${CMAKE_SOURCE_DIR}/resources/windows/tarnivo.ico
  ${TARNIVO_GENERATED_DIR}/tarnivo.manifest
  ${TARNIVO_GENERATED_DIR}/tarnivo_version.h
  ${CMAKE_SOURCE_DIR}/packaging/windows/tarnivo-help.txt)
set_source_files_properties(resources/windows/tarnivo.rc PROPERTIES
  OBJECT_DEPENDS "${TARNIVO_RESOURCE_FILES}")
add_executable(tarnivo WIN32 src/main_win32.cpp resources/windows/tarnivo.rc)
target_include_directories(tarnivo PRIVATE ${TARNIVO_GENERATED_DIR} resources/windows packaging/windows)
target_link_libraries(tarnivo PRIVATE tarnivo_win32)
target_compile_options(tarnivo PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-municode>)
target_link_options(tarnivo PRIVATE -static -municode -mwindows -s)
set_target_properties(tarnivo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The end-to-end driver (a console program, so its report reaches the shell).
add_executable(tarnivo_wine_driver
  tests/wine/driver.cpp
  tests/wine/App.cpp
  tests/wine/Files.cpp
  tests/wine/Scenarios.cpp
  tests/wine/PlatformChecks.cpp
  tests/contract/PlatformContract.cpp
)
target_include_directories(tarnivo_wine_driver PRIVATE tests/wine tests/contract ${TARNIVO_GENERATED_DIR})
target_link_libraries(tarnivo_wine_driver PRIVATE tarnivo_win32 version)
target_compile_options(tarnivo_wine_driver PRIVATE -municode)
target_link_options(tarnivo_wine_driver PRIVATE -static -municode)
set_target_properties(tarnivo_wine_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The zip for users: the program, its help text and the two scripts that add
# and remove the Send To shortcut and the Explorer verb.
set(TARNIVO_ZIP ${CMAKE_BINARY_DIR}/tarnivo-${TARNIVO_VERSION_TEXT}-${TARNIVO_WINDOWS_ARCH}.zip)
set(TARNIVO_ZIP_DIR ${CMAKE_BINARY_DIR}/zip/Tarnivo)
set(TARNIVO_ZIP_FILES
  ${CMAKE_SOURCE_DIR}/packaging/windows/tarnivo-help.txt
  ${CMAKE_SOURCE_DIR}/packaging/windows/install.cmd
  ${CMAKE_SOURCE_DIR}/packaging/windows/uninstall.cmd)
add_custom_command(OUTPUT ${TARNIVO_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TARNIVO_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tarnivo> ${TARNIVO_ZIP_FILES} ${TARNIVO_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${TARNIVO_ZIP} --format=zip Tarnivo
  DEPENDS tarnivo ${TARNIVO_ZIP_FILES}
  COMMENT "Packing ${TARNIVO_ZIP}")
add_custom_target(tarnivo_zip ALL DEPENDS ${TARNIVO_ZIP})

# The setup (NSIS): installs the program and its help for the current user
# and registers the verb, the Send To shortcut and the uninstall entry.
find_program(TARNIVO_MAKENSIS makensis REQUIRED)
set(TARNIVO_SETUP ${CMAKE_BINARY_DIR}/tarnivo-${TARNIVO_VERSION_TEXT}-${TARNIVO_WINDOWS_ARCH}-setup.exe)
set(TARNIVO_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/packaging/windows/tarnivo.nsi)
add_custom_command(OUTPUT ${TARNIVO_SETUP}
  COMMAND ${TARNIVO_MAKENSIS} -V2 -NOCD
          -DARCH=${TARNIVO_WINDOWS_ARCH} -DVERSION=${PROJECT_VERSION} -DVERSION_TEXT=${TARNIVO_VERSION_TEXT}
          -DEXE=$<TARGET_FILE:tarnivo> -DHELP=${CMAKE_SOURCE_DIR}/packaging/windows/tarnivo-help.txt
          -DICON=${CMAKE_SOURCE_DIR}/resources/windows/tarnivo.ico -DOUTFILE=${TARNIVO_SETUP}
          ${TARNIVO_SETUP_SCRIPT}
  DEPENDS tarnivo ${TARNIVO_SETUP_SCRIPT} ${CMAKE_SOURCE_DIR}/packaging/windows/tarnivo-help.txt
          ${CMAKE_SOURCE_DIR}/resources/windows/tarnivo.ico
  COMMENT "Making ${TARNIVO_SETUP}"
  VERBATIM)
add_custom_target(tarnivo_setup ALL DEPENDS ${TARNIVO_SETUP})
