# End-to-end tests of the Linux program, built when the program is.
if(TARGET tarnivo)
  find_package(X11 REQUIRED)
  add_executable(tarnivo_xhelper e2e/xhelper.cpp)
  target_link_libraries(tarnivo_xhelper PRIVATE X11::X11 X11::Xtst)

  # The desktop entry passes the validator without a single complaint (it
  # exits 0 even for what it calls errors).
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(DESKTOP_FILE_VALIDATE)
    add_test(NAME desktop_entry_is_valid
             COMMAND sh -c "out=$(\"$0\" \"$1\" 2>&1); echo \"$out\"; test -z \"$out\""
                     ${DESKTOP_FILE_VALIDATE} ${CMAKE_SOURCE_DIR}/data/tarnivo.desktop)
  endif()

  # Makes the program's copies slow enough to stop while they run.
  add_library(tarnivo_slowcopy MODULE e2e/slowcopy.cpp)
  target_link_libraries(tarnivo_slowcopy PRIVATE ${CMAKE_DL_LIBS})
  # Not instrumented: a preloaded library cannot come before the sanitizer's.
  target_compile_options(tarnivo_slowcopy PRIVATE -fno-sanitize=all)
  target_link_options(tarnivo_slowcopy PRIVATE -fno-sanitize=all)

  foreach(case typical_move cancel_and_close overwrite not_ready network_box keyboard_lists
          no_argument hidpi stop_copy linux_names)
    add_test(NAME e2e.${case}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run.sh ${case}
                     $<TARGET_FILE:tarnivo> $<TARGET_FILE:tarnivo_xhelper>
                     $<TARGET_FILE:tarnivo_slowcopy>)
    set_tests_properties(e2e.${case} PROPERTIES TIMEOUT 90 LABELS e2e
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
  endforeach()

  # The same program against a real SMB share: a private Samba server and
  # GVfs mount that each test starts and stops (one for the transfers, one
  # for the share that goes away). A machine that cannot run them fails
  # these tests.
  set(share_transfers "to_share from_share overwrite_on_share spaced_share")
  foreach(group transfers unmounted_share)
    if(group STREQUAL transfers)
      set(cases ${share_transfers})
    else()
      set(cases ${group})
    endif()
    add_test(NAME share.${group}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../share/run.sh ${cases}
                     $<TARGET_FILE:tarnivo> $<TARGET_FILE:tarnivo_xhelper>)
    set_tests_properties(share.${group} PROPERTIES TIMEOUT 240 LABELS "e2e;share"
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
  endforeach()
endif()

# The same program driven only through the accessibility interface (AT-SPI),
# as assistive technology drives it, each scenario in a private session on
# its own Xvfb; one copy under a headless Wayland compositor, without X.
if(TARGET tarnivo)
  foreach(case tree typical_move copy overwrite not_ready network_box cancel wayland_copy)
    if(case STREQUAL wayland_copy)
      set(args --wayland copy)
    else()
      set(args ${case})
    endif()
    add_test(NAME a11y.${case}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/a11y/run.sh ${args} $<TARGET_FILE:tarnivo>)
    set_tests_properties(a11y.${case} PROPERTIES TIMEOUT 90 LABELS "e2e;a11y"
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
  endforeach()
endif()
