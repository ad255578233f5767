# What the Linux program installs (the program, desktop entry, icons, help,
# the right-click entries) and its packages (cpack in the build folder).
include(GNUInstallDirs)

install(TARGETS tarnivo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TARNIVO_DATA_SOURCE}/tarnivo.hlp DESTINATION ${TARNIVO_INSTALL_DATA_DIR})
install(FILES ${TARNIVO_DATA_SOURCE}/tarnivo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The right-click entries: system-wide for Dolphin, Nemo and the file
# managers that read file-manager actions (Caja, PCManFM, PCManFM-Qt); per
# user, through tarnivo-menus, for Nautilus and Thunar.
set(TARNIVO_MENUS ${TARNIVO_DATA_SOURCE}/menus)
install(PROGRAMS ${TARNIVO_MENUS}/tarnivo-menus DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TARNIVO_MENUS}/dolphin.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus RENAME tarnivo.desktop)
install(FILES ${TARNIVO_MENUS}/tarnivo.nemo_action DESTINATION ${CMAKE_INSTALL_DATADIR}/nemo/actions)
install(FILES ${TARNIVO_MENUS}/file-manager.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/file-manager/actions RENAME tarnivo.desktop)
foreach(size 16 32)
  install(FILES ${TARNIVO_DATA_SOURCE}/tarnivo-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tarnivo.png)
endforeach()

# cpack -G DEB (in the build folder) makes the Debian package, cpack -G RPM
# the one for Fedora and openSUSE (needs rpmbuild: Debian's rpm package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnivo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Tarnivo developers <tarnivo@localhost>")
set(CPACK_PACKAGE_VENDOR "Tarnivo developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_PACKAGE_DESCRIPTION [=[Tarnivo copies or moves one file, chosen in the file manager's
right-click menu, to any folder: pick Copy or Move, the drive and folder
(or type a network folder) and the name, and press OK. It asks before it
replaces a file. Run tarnivo-menus install to add the entry to Nautilus
and Thunar.]=])
set(CPACK_STRIP_FILES ON)
find_program(TARNIVO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARNIVO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgtk-3-0")
endif()
# PCManFM reads the file-manager action only through libfm's modules, which
# libfm merely recommends.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS libfm-modules)
# RPM lists the requirements by shared-library name by itself. The package
# owns its files and its own data folder, none of the desktop's folders.
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_PACKAGE_RELOCATABLE OFF)  # the desktop finds the entries only under /usr
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none")
set(CPACK_RPM_PACKAGE_GROUP Applications/File)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION)
foreach(dir applications icons icons/hicolor kio kio/servicemenus nemo nemo/actions file-manager
            file-manager/actions)
  list(APPEND CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/${dir})
endforeach()
foreach(size 16 32)
  list(APPEND CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
       /usr/share/icons/hicolor/${size}x${size} /usr/share/icons/hicolor/${size}x${size}/apps)
endforeach()
include(CPack)
