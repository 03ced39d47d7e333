# Whether the fuzz targets of tools/fuzz can be built here: a clang whose libFuzzer and
# sanitizer runtimes are installed (a newer default clang may come without its fuzzer
# runtime). Included by the test folders that register fuzz runs; sets OSC_FUZZING and
# OSC_CLANGXX. The answer is kept in the cache for the clang it was found with.
include_guard(GLOBAL)

set(OSC_FUZZING OFF)
find_program(OSC_CLANGXX NAMES clang++ clang++-14)
if(NOT OSC_CLANGXX)
  message(WARNING "clang++ not found: fuzzing is not registered with ctest")
  return()
endif()

if(NOT OSC_FUZZ_PROBED_WITH STREQUAL OSC_CLANGXX)
  set(probe ${CMAKE_BINARY_DIR}/fuzz-probe)
  file(MAKE_DIRECTORY ${probe})
  file(WRITE ${probe}/probe.cpp
    "#include <cstddef>\n#include <cstdint>\n"
    "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n")
  execute_process(
    COMMAND ${OSC_CLANGXX} -std=c++20 -fsanitize=fuzzer,address,undefined
            ${probe}/probe.cpp -o ${probe}/probe
    RESULT_VARIABLE built OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(built EQUAL 0)
    set(works ON)
  else()
    set(works OFF)
    string(REGEX REPLACE "\n.*" "" first_line "${output}")
    set(OSC_FUZZ_PROBE_ERROR "${first_line}" CACHE INTERNAL "")
  endif()
  set(OSC_FUZZ_WORKS ${works} CACHE INTERNAL "libFuzzer builds with OSC_CLANGXX")
  set(OSC_FUZZ_PROBED_WITH ${OSC_CLANGXX} CACHE INTERNAL "the clang probed for libFuzzer")
endif()

if(OSC_FUZZ_WORKS)
  set(OSC_FUZZING ON)
else()
  message(WARNING "${OSC_CLANGXX} cannot build a libFuzzer target with the sanitizers "
                  "(${OSC_FUZZ_PROBE_ERROR}): fuzzing is not registered with ctest")
endif()
