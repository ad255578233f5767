# libFuzzer targets; configure with clang++ and -DTARNIVO_FUZZ=ON (tools/fuzz.sh does).
function(tarnivo_fuzzer name)
  add_executable(${name} ${ARGN})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
  target_link_libraries(${name} PRIVATE tarnivo_core)
endfunction()

tarnivo_fuzzer(fuzz_path_text tests/fuzz/fuzz_path_text.cpp)
