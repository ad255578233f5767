# The Linux desktop integration: right-click entries, the per-user menu
# command and the desktop entry, checked in a temporary home.
if(TARGET tarnivo)
  foreach(case formats glue)
    add_test(NAME menus.${case}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run.sh ${case} ${CMAKE_SOURCE_DIR})
  endforeach()
  add_test(NAME menus.not_default
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run.sh not_default ${CMAKE_BINARY_DIR})
  set_tests_properties(menus.formats menus.glue menus.not_default PROPERTIES TIMEOUT 60 LABELS menus)
  # The RPM package of this build.
  add_test(NAME package.rpm
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run.sh rpm ${CMAKE_BINARY_DIR} $<TARGET_FILE:tarnivo>)
  set_tests_properties(package.rpm PROPERTIES TIMEOUT 120 LABELS package)
endif()
