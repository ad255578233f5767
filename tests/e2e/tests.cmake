# End-to-end tests of the Linux program (and the view's own logic), built
# when the program is.
if(TARGET tarnivo)
  # The view's pure logic: pixel layout, tab stops, directory lines, texts.
  add_executable(tarnivo_view_tests e2e/ViewModelTest.cpp)
  target_link_libraries(tarnivo_view_tests PRIVATE tarnivo_fltk GTest::gtest GTest::gtest_main)
  gtest_discover_tests(tarnivo_view_tests DISCOVERY_TIMEOUT 30)

  find_package(X11 REQUIRED)
  add_executable(tarnivo_xhelper e2e/xhelper.cpp)
  target_link_libraries(tarnivo_xhelper PRIVATE X11::X11)

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

  foreach(case typical_move cancel_and_close overwrite not_ready network_box no_argument hidpi
          stop_copy)
    add_test(NAME e2e.${case}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run.sh ${case}
                     $<TARGET_FILE:tarnivo> $<TARGET_FILE:tarnivo_xhelper>
                     $<TARGET_FILE:tarnivo_slowcopy>)
    set_tests_properties(e2e.${case} PROPERTIES TIMEOUT 90 LABELS e2e
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
  endforeach()
endif()
