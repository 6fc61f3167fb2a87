# Native build: portable core with AddressSanitizer and UBSan, unit tests,
# fuzz targets (clang only) and benchmarks.

option(QUORIN_SANITIZE "Build the native core and tests with ASan and UBSan" ON)
set(QUORIN_FUZZ_SECONDS 5 CACHE STRING "Seconds each fuzz target runs in ctest")

set(QUORIN_SANITIZER_FLAGS)
if(QUORIN_SANITIZE)
    set(QUORIN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
endif()

find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

add_library(quorin_core STATIC ${QUORIN_CORE_SOURCES})
target_include_directories(quorin_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_core PRIVATE ${QUORIN_WARNINGS} ${QUORIN_SANITIZER_FLAGS})
target_link_options(quorin_core PUBLIC ${QUORIN_SANITIZER_FLAGS})

add_library(quorin_session STATIC ${QUORIN_SESSION_SOURCES} ${QUORIN_HOST_CORE_SOURCES})
target_include_directories(quorin_session PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_session PRIVATE ${QUORIN_WARNINGS} ${QUORIN_SANITIZER_FLAGS})
target_link_options(quorin_session PUBLIC ${QUORIN_SANITIZER_FLAGS})

if(QUORIN_SIMSITE_SOURCES)
    add_library(quorin_simsite STATIC ${QUORIN_SIMSITE_SOURCES})
    target_include_directories(quorin_simsite PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_simsite PRIVATE ${QUORIN_WARNINGS} ${QUORIN_SANITIZER_FLAGS})
    target_link_libraries(quorin_simsite PUBLIC quorin_session)
endif()

if(QUORIN_LIVE_CORE_SOURCES)
    add_library(quorin_live_core STATIC ${QUORIN_LIVE_CORE_SOURCES})
    target_include_directories(quorin_live_core PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_live_core PRIVATE ${QUORIN_WARNINGS} ${QUORIN_SANITIZER_FLAGS})
    target_link_libraries(quorin_live_core PUBLIC quorin_session)
endif()

add_library(quorin_admin_core STATIC ${QUORIN_ADMIN_CORE_SOURCES})
target_include_directories(quorin_admin_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_admin_core PRIVATE ${QUORIN_WARNINGS} ${QUORIN_SANITIZER_FLAGS})
target_link_options(quorin_admin_core PUBLIC ${QUORIN_SANITIZER_FLAGS})
# The own commands' replies: colour removed as the plug-in removes it, masked as the transcript masks.
target_link_libraries(quorin_admin_core PUBLIC quorin_core quorin_session)

file(GLOB QUORIN_NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(core_tests ${QUORIN_NATIVE_TEST_SOURCES})
# GoogleTest's headers parsed once for the forty test files, not once each.
target_precompile_headers(core_tests PRIVATE <gtest/gtest.h> <string> <vector> <map> <functional>)
target_compile_options(core_tests PRIVATE ${QUORIN_WARNINGS} ${QUORIN_SANITIZER_FLAGS})
target_compile_definitions(core_tests PRIVATE QUORIN_FIXTURE_DIR="${QUORIN_FIXTURE_DIR}")
target_link_libraries(core_tests PRIVATE quorin_core quorin_session quorin_admin_core GTest::gtest
    GTest::gtest_main Threads::Threads)
if(TARGET quorin_simsite)
    target_link_libraries(core_tests PRIVATE quorin_simsite)
endif()
if(TARGET quorin_live_core)
    target_link_libraries(core_tests PRIVATE quorin_live_core)
endif()
include(GoogleTest)
gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)

# The host's saved sites: the portable part (the collection and its INI text)
# and its tests. The file and password parts (_win32) are cross-built only.
file(GLOB QUORIN_SITES_CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/sites/*.cpp)
list(FILTER QUORIN_SITES_CORE_SOURCES EXCLUDE REGEX "_win32\\.cpp$")
if(QUORIN_SITES_CORE_SOURCES AND TARGET quorin_live_core)
    add_library(quorin_sites_core STATIC ${QUORIN_SITES_CORE_SOURCES})
    target_include_directories(quorin_sites_core PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_sites_core PRIVATE ${QUORIN_WARNINGS} ${QUORIN_SANITIZER_FLAGS})
    target_link_libraries(quorin_sites_core PUBLIC quorin_live_core)
    add_executable(sites_tests ${CMAKE_SOURCE_DIR}/tests/sites/saved_sites_test.cpp)
    target_compile_options(sites_tests PRIVATE ${QUORIN_WARNINGS} ${QUORIN_SANITIZER_FLAGS})
    target_link_libraries(sites_tests PRIVATE quorin_sites_core GTest::gtest GTest::gtest_main)
    gtest_discover_tests(sites_tests DISCOVERY_TIMEOUT 60)
endif()

# Fuzz targets: tests/fuzz/<name>_fuzz.cpp with a seed corpus in
# tests/fuzz/corpus/<name>/. ctest runs each briefly; tools/fuzz-long.sh longer.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    file(GLOB QUORIN_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
    if(QUORIN_FUZZ_SOURCES)
        set(QUORIN_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined
            -fno-sanitize-recover=all -fno-omit-frame-pointer)
        # The host's portable live-connection, saved-sites and administration
        # parts are fuzzed beside the core.
        add_library(quorin_core_fuzz STATIC ${QUORIN_CORE_SOURCES} ${QUORIN_LIVE_CORE_SOURCES}
            ${QUORIN_SITES_CORE_SOURCES} ${QUORIN_ADMIN_CORE_SOURCES} ${QUORIN_SESSION_SOURCES})
        target_include_directories(quorin_core_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
        target_compile_options(quorin_core_fuzz PRIVATE ${QUORIN_WARNINGS} ${QUORIN_FUZZ_FLAGS})
        foreach(source ${QUORIN_FUZZ_SOURCES})
            get_filename_component(target ${source} NAME_WE)
            string(REGEX REPLACE "_fuzz$" "" corpus ${target})
            add_executable(${target} ${source})
            target_compile_options(${target} PRIVATE ${QUORIN_WARNINGS} ${QUORIN_FUZZ_FLAGS})
            target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
            target_link_libraries(${target} PRIVATE quorin_core_fuzz)
            set(work ${CMAKE_BINARY_DIR}/fuzz-work/${corpus})
            add_test(NAME fuzz_${corpus}
                COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                    sh -c "mkdir -p '${work}' && exec \"$0\" -max_total_time=${QUORIN_FUZZ_SECONDS} -print_final_stats=1 '${work}' '${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${corpus}'"
                    $<TARGET_FILE:${target}>)
        endforeach()
    endif()
endif()

# Benchmarks: built, run by tools/bench.sh, not by ctest.
find_package(benchmark QUIET)
file(GLOB QUORIN_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*.cpp)
if(benchmark_FOUND AND QUORIN_BENCH_SOURCES)
    add_library(quorin_core_plain STATIC ${QUORIN_CORE_SOURCES} ${QUORIN_ADMIN_CORE_SOURCES})
    target_include_directories(quorin_core_plain PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_core_plain PRIVATE ${QUORIN_WARNINGS} -O2)
    add_executable(core_benchmarks ${QUORIN_BENCH_SOURCES})
    target_compile_options(core_benchmarks PRIVATE ${QUORIN_WARNINGS} -O2)
    target_link_libraries(core_benchmarks PRIVATE quorin_core_plain benchmark::benchmark
        benchmark::benchmark_main)
endif()
