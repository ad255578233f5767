# Windows: the Win32 platform layer, the Win32 dialog, the program, its zip
# and the test driver that runs the end-to-end scenarios under Wine.
enable_language(RC)

set(TARNIVO_WIN32_DEFINES UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601)

add_library(tarnivo_win32 STATIC
  src/platform/win32/WinText.cpp
  src/platform/win32/Win32Platform.cpp
  src/dialog/win32/DirListModel.cpp
  src/dialog/win32/FolderIcons.cpp
  src/dialog/win32/HelpWindow.cpp
  src/dialog/win32/Win32Dialog.cpp
  src/dialog/win32/Program.cpp
)
target_link_libraries(tarnivo_win32 PUBLIC tarnivo_core comctl32 mpr)
target_compile_definitions(tarnivo_win32 PUBLIC ${TARNIVO_WIN32_DEFINES})
target_compile_options(tarnivo_win32 PRIVATE -Werror)

# One self-contained exe: no MinGW runtime DLL, only Windows' own.
set(TARNIVO_RESOURCE_FILES
  ${CMAKE_SOURCE_DIR}/resources/windows/tarnivo.ico
  ${CMAKE_SOURCE_DIR}/resources/windows/tarnivo.manifest
  ${CMAKE_SOURCE_DIR}/packaging/windows/tarnivo-help.txt)
set_source_files_properties(resources/windows/tarnivo.rc PROPERTIES
  OBJECT_DEPENDS "${TARNIVO_RESOURCE_FILES}")
add_executable(tarnivo WIN32 src/main_win32.cpp resources/windows/tarnivo.rc)
target_include_directories(tarnivo PRIVATE resources/windows packaging/windows)
target_link_libraries(tarnivo PRIVATE tarnivo_win32)
target_compile_options(tarnivo PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-municode -Werror>)
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
target_include_directories(tarnivo_wine_driver PRIVATE tests/wine tests/contract)
target_link_libraries(tarnivo_wine_driver PRIVATE tarnivo_win32 version)
target_compile_options(tarnivo_wine_driver PRIVATE -municode -Werror)
target_link_options(tarnivo_wine_driver PRIVATE -static -municode)
set_target_properties(tarnivo_wine_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The zip for users: the program, its help text and the two scripts that add
# and remove the Send To shortcut and the Explorer verb.
set(TARNIVO_ZIP ${CMAKE_BINARY_DIR}/tarnivo-1.00.0022-win32.zip)
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
