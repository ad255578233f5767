# Integration tests of the POSIX platform layer on real temporary folders.
if(TARGET tarnivo_posix)
  add_executable(tarnivo_integration_tests
    integration/TempTree.cpp
    integration/NamesTest.cpp
    integration/PathsTest.cpp
    integration/PosixContractTest.cpp
    integration/FileOpsTest.cpp
    integration/Handlers.cpp
    integration/FaultSweepLinuxTest.cpp
    integration/HostileNamesLinuxTest.cpp
  )
  target_include_directories(tarnivo_integration_tests PRIVATE integration)
  target_link_libraries(tarnivo_integration_tests PRIVATE tarnivo_posix tarnivo_core tarnivo_contract GTest::gtest GTest::gtest_main)
  gtest_discover_tests(tarnivo_integration_tests DISCOVERY_TIMEOUT 30)
endif()
