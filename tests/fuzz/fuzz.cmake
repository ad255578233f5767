# libFuzzer targets; configure with clang++ and -DTARNIVO_FUZZ=ON (tools/fuzz.sh does).
function(tarnivo_fuzzer name)
  add_executable(${name} ${ARGN})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
  target_link_libraries(${name} PRIVATE tarnivo_core)
endfunction()

tarnivo_fuzzer(fuzz_path_text tests/fuzz/fuzz_path_text.cpp)

# Intake on simulated trees, through the unit tests' simulated platform and
# fake dialog (which report through GoogleTest).
find_package(GTest REQUIRED)
tarnivo_fuzzer(fuzz_intake tests/fuzz/fuzz_intake.cpp tests/unit/SimulatedPlatform.cpp
               tests/unit/FakeDialog.cpp)
target_link_libraries(fuzz_intake PRIVATE GTest::gtest)

# The Linux layer's alias generator and wildcard matcher.
if(TARGET tarnivo_posix)
  tarnivo_fuzzer(fuzz_names tests/fuzz/fuzz_names.cpp)
  target_link_libraries(fuzz_names PRIVATE tarnivo_posix)
endif()
