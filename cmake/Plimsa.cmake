# Helpers that give every Plimsa target the same include root, warnings and test wiring.

set(PLIMSA_WARNINGS -Wall -Wextra -Wpedantic -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_BUILD_TYPE STREQUAL "Release")
  # GCC 12 at -O3 reports overlapping copies inside std::string that cannot happen.
  list(APPEND PLIMSA_WARNINGS -Wno-restrict)
endif()
# Third-party rigged models used by some tests; tests skip when the folder is absent.
set(PLIMSA_SHARED_MODELS "${PROJECT_SOURCE_DIR}/../shared/models" CACHE PATH "Folder of third-party test models")

# plimsa_library(<name> SOURCES ... [DEPS ...]): a static library whose headers are included as
# "<folder>/<File>.h" from src/.
function(plimsa_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_compile_options(${name} PRIVATE ${PLIMSA_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# plimsa_test(<name> SOURCES ... [DEPS ...] [LABELS ...] [THREADED]): one GoogleTest executable, its cases
# registered with CTest under LABELS. THREADED marks executables whose tests run code on several threads:
# they also carry the CTest label "threads" and belong to the target threaded_tests, which the
# ThreadSanitizer run builds.
function(plimsa_test name)
  cmake_parse_arguments(ARG "THREADED" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
  target_compile_options(${name} PRIVATE ${PLIMSA_WARNINGS})
  target_compile_definitions(${name} PRIVATE PLIMSA_SHARED_MODELS="${PLIMSA_SHARED_MODELS}"
                                             PLIMSA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  set(labels ${ARG_LABELS})
  if(ARG_THREADED)
    list(APPEND labels threads)
    set_property(GLOBAL APPEND PROPERTY PLIMSA_THREADED_TESTS ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${labels}")
endfunction()

# plimsa_benchmark(<name> SOURCES ... [DEPS ...]): a Google Benchmark executable (not run by the tests).
function(plimsa_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
  target_compile_options(${name} PRIVATE ${PLIMSA_WARNINGS})
  target_compile_definitions(${name} PRIVATE PLIMSA_SHARED_MODELS="${PLIMSA_SHARED_MODELS}")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# plimsa_fuzzer(<name> SOURCE <file> [DEPS ...] [CORPUS <dir>] [RUNS <n>]): <file> defines
# LLVMFuzzerTestOneInput. Always builds <name>_smoke, a deterministic mutation driver that CTest runs a
# fixed number of iterations (any compiler); with PLIMSA_FUZZ and clang it also builds <name>, a libFuzzer
# binary for long runs.
function(plimsa_fuzzer name)
  cmake_parse_arguments(ARG "" "SOURCE;CORPUS;RUNS" "DEPS" ${ARGN})
  if(NOT ARG_RUNS)
    set(ARG_RUNS 20000)
  endif()
  add_executable(${name}_smoke ${ARG_SOURCE} "${PROJECT_SOURCE_DIR}/fuzz/SmokeDriver.cpp")
  target_include_directories(${name}_smoke PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
  target_compile_options(${name}_smoke PRIVATE ${PLIMSA_WARNINGS})
  target_link_libraries(${name}_smoke PRIVATE ${ARG_DEPS})
  if(PLIMSA_TESTS)
    add_test(NAME fuzz_smoke.${name} COMMAND ${name}_smoke ${ARG_RUNS} ${ARG_CORPUS})
    set_tests_properties(fuzz_smoke.${name} PROPERTIES TIMEOUT 900)
  endif()
  if(PLIMSA_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(${name} ${ARG_SOURCE})
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  endif()
endfunction()
