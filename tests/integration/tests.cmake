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

# The file operations on real loop-mounted file systems (ext4, XFS, btrfs)
# and a tmpfs: they need root and loop devices, and fail without them.
if(TARGET tarnivo_posix)
  add_executable(tarnivo_filesystem_tests integration/TempTree.cpp integration/FileSystemsLinuxTest.cpp)
  target_include_directories(tarnivo_filesystem_tests PRIVATE integration)
  target_link_libraries(tarnivo_filesystem_tests PRIVATE tarnivo_posix tarnivo_core GTest::gtest GTest::gtest_main)
  gtest_discover_tests(tarnivo_filesystem_tests DISCOVERY_TIMEOUT 30 PROPERTIES LABELS filesystems TIMEOUT 120)
endif()
