# Cross build for 32-bit Windows: the plug-in DLL, its test twin, the
# reference host and the tests that run under Wine.

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QUORIN_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

# Reproducible output: one commit builds to the same bytes in any folder at
# any time. Source and build paths leave the objects (__FILE__, .file
# symbols), the linker writes no time stamps into the PE headers.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
add_link_options(-Wl,--no-insert-timestamp)

# Tests run under Wine in private, headless prefixes inside the build tree:
# wineprefix for those that show no window of their own, and a few copies of
# it (wineprefix-desktop1, ...), each a desktop that one test which shows
# windows has to itself (focus and activation are per desktop). Such a test
# says RESOURCE_LOCK wine_desktop; at the end of the configuration each is
# given one of the desktops instead (quorin_share_wine_desktops below), and
# ctest runs as many of them side by side as there are desktops.
set(QUORIN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(QUORIN_WINE_DESKTOPS 3 CACHE STRING "Wine desktops that tests showing windows share out (ctest -j)")
configure_file(${CMAKE_SOURCE_DIR}/tools/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
    WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# The desktops as ctest's resources: every ctest run in this build hands
# them out (CTEST_RESOURCE_SPEC_FILE), and wine-run.sh picks the prefix of
# the one a test was given.
set(QUORIN_DESKTOP_IDS)
foreach(desktop RANGE 1 ${QUORIN_WINE_DESKTOPS})
    list(APPEND QUORIN_DESKTOP_IDS "{\"id\": \"${desktop}\"}")
endforeach()
list(JOIN QUORIN_DESKTOP_IDS ", " QUORIN_DESKTOP_IDS)
file(WRITE ${CMAKE_BINARY_DIR}/ctest-resources.json
    "{\"version\": {\"major\": 1, \"minor\": 0},\n \"local\": [{\"wine_desktops\": [${QUORIN_DESKTOP_IDS}]}]}\n")
set(CTEST_RESOURCE_SPEC_FILE ${CMAKE_BINARY_DIR}/ctest-resources.json)

# The prefixes are made, and their wineservers started, once for the run;
# the servers end with it.
add_test(NAME wine_prefix
    COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-prefixes.sh start ${QUORIN_WINEPREFIX} ${QUORIN_WINE_DESKTOPS})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)
add_test(NAME wine_servers_stop
    COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-prefixes.sh stop ${QUORIN_WINEPREFIX} ${QUORIN_WINE_DESKTOPS})
set_tests_properties(wine_servers_stop PROPERTIES FIXTURES_CLEANUP wine)

# Every test of this build that takes RESOURCE_LOCK wine_desktop gets one of
# the desktops instead. Called when the whole build is configured, so that
# tests added anywhere are shared out alike.
function(quorin_share_wine_desktops)
    get_property(tests DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY TESTS)
    foreach(test ${tests})
        get_test_property(${test} RESOURCE_LOCK locks)
        if(locks AND "wine_desktop" IN_LIST locks)
            list(REMOVE_ITEM locks wine_desktop)
            set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${locks}" RESOURCE_GROUPS wine_desktops:1)
        endif()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL quorin_share_wine_desktops)

# Test programs whose own code does little at run time are built to check,
# not to be fast: what they test (the DLL, the host's libraries) keeps the
# release's optimisation, their own code and GoogleTest take -O1, which
# halves their compile time and keeps the warnings that need the compiler's
# flow analysis. Every program that links GoogleTest itself, wherever it is
# added; the UI tests (over the UI harness) spend their time in their own
# code too and keep -O3.
function(quorin_build_tests_plainly)
    foreach(library gtest gtest_main)
        if(TARGET ${library})
            target_compile_options(${library} PRIVATE -O1)
        endif()
    endforeach()
    get_property(targets DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        get_target_property(libraries ${target} LINK_LIBRARIES)
        if(type STREQUAL "EXECUTABLE" AND libraries AND ("gtest" IN_LIST libraries OR "gtest_main" IN_LIST libraries)
            AND NOT "quorin_ui_harness" IN_LIST libraries)
            target_compile_options(${target} PRIVATE -O1)
        endif()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL quorin_build_tests_plainly)

# The icon is generated, never a hand-edited binary.
set(QUORIN_ICON ${CMAKE_BINARY_DIR}/generated/plugin_icon.ico)
add_custom_command(OUTPUT ${QUORIN_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_icon.py ${QUORIN_ICON}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.py
    COMMENT "Generating the plug-in icon")
add_custom_target(plugin_icon DEPENDS ${QUORIN_ICON})
file(GLOB QUORIN_RC_PARTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc2
    ${CMAKE_SOURCE_DIR}/resources/*.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/plugin.rc PROPERTIES
    OBJECT_DEPENDS "${QUORIN_ICON};${QUORIN_RC_PARTS}")

add_library(quorin_plugin_objects OBJECT ${QUORIN_ALL_SOURCES})
target_include_directories(quorin_plugin_objects PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_plugin_objects PRIVATE ${QUORIN_WARNINGS})
target_compile_definitions(quorin_plugin_objects PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
# The DLL links the C++ runtime statically: optimise for size, leave out the
# exception and type-information runtime (nothing in the plug-in throws) and
# let the linker drop every function and datum nothing reaches.
target_compile_options(quorin_plugin_objects PRIVATE -Os -ffunction-sections -fdata-sections
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)

function(quorin_plugin_dll name def)
    add_library(${name} SHARED $<TARGET_OBJECTS:quorin_plugin_objects>
        ${CMAKE_SOURCE_DIR}/resources/plugin.rc ${def} ${ARGN})
    add_dependencies(${name} plugin_icon)
    set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources
        ${CMAKE_BINARY_DIR}/generated)
    target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${QUORIN_WARNINGS}>)
    target_link_options(${name} PRIVATE ${QUORIN_STATIC_RUNTIME} -Wl,--enable-stdcall-fixup
        -Wl,--gc-sections)
    target_link_libraries(${name} PRIVATE comctl32 user32 gdi32 kernel32)
endfunction()

# The plug-in as shipped: exactly InitDialog and DialogNuke.
quorin_plugin_dll(quorin_glftpd_1_24 ${CMAKE_SOURCE_DIR}/plugin/quorin_glftpd_1_24.def)
# Shipped without symbols; the test twin keeps them for debugging.
target_link_options(quorin_glftpd_1_24 PRIVATE -s)

# Its test twin: the same objects plus probe exports that count what the
# plug-in still holds, for the UI tests' leak checks.
quorin_plugin_dll(quorin_glftpd_1_24_probe ${CMAKE_SOURCE_DIR}/tests/probe/quorin_glftpd_1_24_probe.def
    ${CMAKE_SOURCE_DIR}/tests/probe/probe_exports.cpp)

add_test(NAME dll_tables
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-dll-tables.sh --version ${PROJECT_VERSION}
        $<TARGET_FILE:quorin_glftpd_1_24>)

# GoogleTest from Debian's sources, cross-built. The main job builds only
# the DLL and the host and configures without it (tools/build.sh --main);
# the test programs below are then left unbuilt.
option(QUORIN_WIN32_TESTS "Build the tests that run under Wine (GoogleTest from /usr/src/googletest)" ON)
if(QUORIN_WIN32_TESTS)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# The portable core's unit tests again, as 32-bit Windows code under Wine.
file(GLOB QUORIN_NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_library(quorin_core_win32 STATIC ${QUORIN_CORE_SOURCES})
target_include_directories(quorin_core_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_core_win32 PRIVATE ${QUORIN_WARNINGS})
add_library(quorin_session STATIC ${QUORIN_SESSION_SOURCES} ${QUORIN_HOST_CORE_SOURCES})
target_include_directories(quorin_session PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_session PRIVATE ${QUORIN_WARNINGS})
if(QUORIN_SIMSITE_SOURCES)
    add_library(quorin_simsite STATIC ${QUORIN_SIMSITE_SOURCES})
    target_include_directories(quorin_simsite PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_simsite PRIVATE ${QUORIN_WARNINGS})
    target_link_libraries(quorin_simsite PUBLIC quorin_session)
endif()
if(QUORIN_LIVE_CORE_SOURCES)
    add_library(quorin_live_core STATIC ${QUORIN_LIVE_CORE_SOURCES})
    target_include_directories(quorin_live_core PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_live_core PRIVATE ${QUORIN_WARNINGS})
    target_link_libraries(quorin_live_core PUBLIC quorin_session)
endif()
add_library(quorin_admin_core STATIC ${QUORIN_ADMIN_CORE_SOURCES})
target_include_directories(quorin_admin_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_admin_core PRIVATE ${QUORIN_WARNINGS})
# The own commands' replies: colour removed as the plug-in removes it, masked as the transcript masks.
target_link_libraries(quorin_admin_core PUBLIC quorin_core_win32 quorin_session)
# How a host loads the plug-in: the reference host, the UI tests' harness and
# the benchmarks.
add_library(quorin_plugin_library STATIC ${CMAKE_SOURCE_DIR}/host/served/plugin_library_win32.cpp)
target_include_directories(quorin_plugin_library PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_plugin_library PRIVATE ${QUORIN_WARNINGS})
target_compile_definitions(quorin_plugin_library PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
# The live connection's Winsock and SChannel parts: Windows system DLLs only.
if(QUORIN_LIVE_WIN32_SOURCES)
    add_library(quorin_live_win32 STATIC ${QUORIN_LIVE_WIN32_SOURCES})
    target_include_directories(quorin_live_win32 PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_live_win32 PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(quorin_live_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(quorin_live_win32 PUBLIC quorin_live_core ws2_32 secur32 crypt32 bcrypt)
endif()
add_executable(core_tests_win32 ${QUORIN_NATIVE_TEST_SOURCES})
target_compile_options(core_tests_win32 PRIVATE ${QUORIN_WARNINGS})
# GoogleTest's headers parsed once for the forty test files, not once each.
target_precompile_headers(core_tests_win32 PRIVATE <gtest/gtest.h> <string> <vector> <map> <functional>)
target_compile_definitions(core_tests_win32 PRIVATE QUORIN_FIXTURE_DIR="${QUORIN_FIXTURE_DIR}")
target_link_libraries(core_tests_win32 PRIVATE quorin_core_win32 quorin_session quorin_admin_core gtest
    gtest_main)
if(TARGET quorin_simsite)
    target_link_libraries(core_tests_win32 PRIVATE quorin_simsite)
endif()
if(TARGET quorin_live_core)
    target_link_libraries(core_tests_win32 PRIVATE quorin_live_core)
endif()
target_link_options(core_tests_win32 PRIVATE ${QUORIN_STATIC_RUNTIME})
add_test(NAME core_tests_win32 COMMAND core_tests_win32)
set_tests_properties(core_tests_win32 PROPERTIES FIXTURES_REQUIRED wine)

# The host's saved sites: the collection and its INI text, the file (written
# whole or not at all) and the passwords (DPAPI). Their tests run under Wine,
# the portable ones again as 32-bit code.
file(GLOB QUORIN_SITES_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/sites/*.cpp)
if(QUORIN_SITES_SOURCES AND TARGET quorin_live_core)
    add_library(quorin_sites_win32 STATIC ${QUORIN_SITES_SOURCES})
    target_include_directories(quorin_sites_win32 PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_sites_win32 PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(quorin_sites_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(quorin_sites_win32 PUBLIC quorin_live_core crypt32 shell32 ole32 uuid)
    add_executable(sites_tests_win32 ${CMAKE_SOURCE_DIR}/tests/sites/saved_sites_test.cpp
        ${CMAKE_SOURCE_DIR}/tests/sites/site_store_win32_test.cpp
        ${CMAKE_SOURCE_DIR}/tests/sites/site_store_sequence_test.cpp)
    target_compile_options(sites_tests_win32 PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(sites_tests_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(sites_tests_win32 PRIVATE quorin_sites_win32 gtest gtest_main)
    target_link_options(sites_tests_win32 PRIVATE ${QUORIN_STATIC_RUNTIME})
    # The second host process of the two-process tests.
    add_executable(site_store_worker ${CMAKE_SOURCE_DIR}/tests/sites/site_store_worker.cpp)
    target_compile_options(site_store_worker PRIVATE ${QUORIN_WARNINGS})
    target_link_libraries(site_store_worker PRIVATE quorin_sites_win32)
    target_link_options(site_store_worker PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_dependencies(sites_tests_win32 site_store_worker)
    add_test(NAME sites_win32 COMMAND sites_tests_win32)
    set_tests_properties(sites_win32 PROPERTIES FIXTURES_REQUIRED wine)
endif()

# The change record's files: two processes appending at once, a cut last
# line, the bound (tests/history/).
if(TARGET quorin_sites_win32)
    add_library(quorin_history_files STATIC ${CMAKE_SOURCE_DIR}/host/history/record_files_win32.cpp)
    target_include_directories(quorin_history_files PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_history_files PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(quorin_history_files PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(quorin_history_files PUBLIC quorin_admin_core quorin_sites_win32 quorin_session)
    add_executable(record_append_worker ${CMAKE_SOURCE_DIR}/tests/history/record_append_worker.cpp)
    target_compile_options(record_append_worker PRIVATE ${QUORIN_WARNINGS})
    target_link_libraries(record_append_worker PRIVATE quorin_history_files)
    target_link_options(record_append_worker PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_executable(history_files_test ${CMAKE_SOURCE_DIR}/tests/history/record_files_win32_test.cpp)
    target_compile_options(history_files_test PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(history_files_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(history_files_test PRIVATE quorin_history_files gtest gtest_main)
    target_link_options(history_files_test PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_dependencies(history_files_test record_append_worker)
    add_test(NAME history_files COMMAND history_files_test)
    set_tests_properties(history_files PROPERTIES FIXTURES_REQUIRED wine)
endif()

# UI tests: tests/ui/<name>_test.cpp, each its own program over the harness,
# loading the real DLL from beside it.
file(GLOB QUORIN_UI_HARNESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/ui/harness/*.cpp)
add_library(quorin_ui_harness STATIC ${QUORIN_UI_HARNESS_SOURCES})
target_include_directories(quorin_ui_harness PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorin_ui_harness PRIVATE ${QUORIN_WARNINGS})
target_compile_definitions(quorin_ui_harness PUBLIC QUORIN_FIXTURE_DIR="${QUORIN_FIXTURE_DIR}"
    WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(quorin_ui_harness PUBLIC quorin_session quorin_plugin_library gtest gtest_main comctl32
    user32 gdi32)
if(TARGET quorin_simsite)
    target_link_libraries(quorin_ui_harness PUBLIC quorin_simsite)
    target_compile_definitions(quorin_ui_harness PUBLIC QUORIN_HAVE_SIMSITE=1)
endif()

file(GLOB QUORIN_UI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/ui/*_test.cpp)
foreach(source ${QUORIN_UI_TEST_SOURCES})
    get_filename_component(target ${source} NAME_WE)
    add_executable(ui_${target} ${source})
    target_compile_options(ui_${target} PRIVATE ${QUORIN_WARNINGS})
    target_link_libraries(ui_${target} PRIVATE quorin_ui_harness)
    target_link_options(ui_${target} PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_dependencies(ui_${target} quorin_glftpd_1_24 quorin_glftpd_1_24_probe)
    add_test(NAME ui_${target} COMMAND ui_${target})
    # Focus and activation are per desktop: UI programs take turns.
    set_tests_properties(ui_${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900
        RESOURCE_LOCK wine_desktop)
endforeach()

# The reference host.
# Its rooms: the window and its tour, the Connect dialog and the saved
# sites' login, the served sites, and the host's own administration pages.
file(GLOB QUORIN_HOST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/window/*.cpp
    ${CMAKE_SOURCE_DIR}/host/connect/*.cpp ${CMAKE_SOURCE_DIR}/host/served/*.cpp
    ${CMAKE_SOURCE_DIR}/host/history/*_window_win32.cpp)
# The host's administration pages (their templates are in the host's
# resources): a library of their own, for the host and the programs that
# drive the pages.
file(GLOB QUORIN_ADMIN_PAGES_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/admin/*_win32.cpp
    ${CMAKE_SOURCE_DIR}/host/history/*_win32.cpp
    ${CMAKE_SOURCE_DIR}/host/glance/*_win32.cpp)
# The change record's part of the host window goes into the host itself.
list(FILTER QUORIN_ADMIN_PAGES_SOURCES EXCLUDE REGEX "_window_win32\\.cpp$")
if(QUORIN_ADMIN_PAGES_SOURCES AND TARGET quorin_sites_win32)
    add_library(quorin_admin_pages STATIC ${QUORIN_ADMIN_PAGES_SOURCES})
    target_include_directories(quorin_admin_pages PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_admin_pages PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(quorin_admin_pages PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
    # The Top lists page saves its chart as PNG with the system's encoder (WIC).
    target_link_libraries(quorin_admin_pages PUBLIC quorin_admin_core quorin_session quorin_sites_win32 comctl32
        user32 gdi32 ole32 windowscodecs uuid comdlg32)
endif()
list(REMOVE_ITEM QUORIN_HOST_SOURCES ${CMAKE_SOURCE_DIR}/host/served/plugin_library_win32.cpp
    ${QUORIN_HOST_CORE_SOURCES})
if(QUORIN_HOST_SOURCES)
    add_executable(quorin_host WIN32 ${QUORIN_HOST_SOURCES} ${CMAKE_SOURCE_DIR}/host/resources/host_resources.rc)
    # The manifest (per-monitor DPI awareness) is part of the resources.
    set_source_files_properties(${CMAKE_SOURCE_DIR}/host/resources/host_resources.rc PROPERTIES
        OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/host/resources/quorin_host.manifest)
    target_include_directories(quorin_host PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_host PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(quorin_host PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    # Its screenshots are PNG files from the system's encoder (WIC, through COM).
    target_link_libraries(quorin_host PRIVATE quorin_simsite quorin_admin_core quorin_plugin_library comctl32
        user32 gdi32 ole32 windowscodecs uuid)
    if(TARGET quorin_live_win32)
        target_link_libraries(quorin_host PRIVATE quorin_live_win32)
    endif()
    if(TARGET quorin_sites_win32)
        target_link_libraries(quorin_host PRIVATE quorin_sites_win32)
    endif()
    if(TARGET quorin_admin_pages)
        target_link_libraries(quorin_host PRIVATE quorin_admin_pages)
    endif()
    # Shipped in the release bundle: without symbols.
    target_link_options(quorin_host PRIVATE ${QUORIN_STATIC_RUNTIME} -s)
    add_dependencies(quorin_host quorin_glftpd_1_24)
endif()

# Parts of the host window that stand alone, under Wine.
add_executable(host_parts_test ${CMAKE_SOURCE_DIR}/tests/host/transcript_pane_test.cpp
    ${CMAKE_SOURCE_DIR}/host/window/transcript_pane_win32.cpp)
target_include_directories(host_parts_test PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(host_parts_test PRIVATE ${QUORIN_WARNINGS})
target_compile_definitions(host_parts_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(host_parts_test PRIVATE gtest gtest_main user32)
target_link_options(host_parts_test PRIVATE ${QUORIN_STATIC_RUNTIME})
add_test(NAME host_parts COMMAND host_parts_test)
set_tests_properties(host_parts PROPERTIES FIXTURES_REQUIRED wine)

# The host's administration pages against the captured replies of a real
# glftpd 2.13: what they send, ask and refuse (shows no window).
if(TARGET quorin_admin_pages)
    add_executable(admin_pages_test ${CMAKE_SOURCE_DIR}/tests/host/admin_pages_test.cpp
        ${CMAKE_SOURCE_DIR}/host/resources/host_resources.rc ${CMAKE_SOURCE_DIR}/host/window/layout_check_win32.cpp)
    set_source_files_properties(${CMAKE_SOURCE_DIR}/host/resources/host_resources.rc PROPERTIES
        OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/host/resources/quorin_host.manifest)
    target_include_directories(admin_pages_test PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(admin_pages_test PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(admin_pages_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX
        QUORIN_FIXTURE_DIR="${QUORIN_FIXTURE_DIR}")
    target_link_libraries(admin_pages_test PRIVATE quorin_admin_pages gtest gtest_main)
    target_link_options(admin_pages_test PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_test(NAME admin_pages COMMAND admin_pages_test)
    set_tests_properties(admin_pages PROPERTIES FIXTURES_REQUIRED wine)
    # Online now and Top lists against the real glftpd 2.13's replies.
    add_executable(glance_pages_test ${CMAKE_SOURCE_DIR}/tests/host/glance_pages_test.cpp
        ${CMAKE_SOURCE_DIR}/host/resources/host_resources.rc)
    target_include_directories(glance_pages_test PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(glance_pages_test PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(glance_pages_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX
        QUORIN_FIXTURE_DIR="${QUORIN_FIXTURE_DIR}")
    target_link_libraries(glance_pages_test PRIVATE quorin_admin_pages gtest gtest_main)
    target_link_options(glance_pages_test PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_test(NAME glance_pages COMMAND glance_pages_test)
    set_tests_properties(glance_pages PROPERTIES FIXTURES_REQUIRED wine)
endif()

# The host's own layout: the check on windows laid out wrong on purpose,
# then the tour (which checks its window at every picture) under Xvfb at
# 100, 150 and 200 % display scale. The three share one x11 prefix whose DPI
# each sets: they take turns.
add_executable(layout_check_test ${CMAKE_SOURCE_DIR}/tests/host/layout_check_test.cpp
    ${CMAKE_SOURCE_DIR}/host/window/layout_check_win32.cpp)
target_include_directories(layout_check_test PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(layout_check_test PRIVATE ${QUORIN_WARNINGS})
target_compile_definitions(layout_check_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(layout_check_test PRIVATE gtest gtest_main user32 gdi32)
target_link_options(layout_check_test PRIVATE ${QUORIN_STATIC_RUNTIME})
add_test(NAME layout_check COMMAND layout_check_test)
set_tests_properties(layout_check PROPERTIES FIXTURES_REQUIRED wine)
if(TARGET quorin_host)
    foreach(dpi 96 144 192)
        add_test(NAME host_tour_dpi${dpi}
            COMMAND sh ${CMAKE_SOURCE_DIR}/tests/host/dpi_tour.sh $<TARGET_FILE:quorin_host>
                ${CMAKE_BINARY_DIR}/wineprefix-dpi ${dpi} ${CMAKE_BINARY_DIR}/dpi-tour/${dpi})
        set_tests_properties(host_tour_dpi${dpi} PROPERTIES TIMEOUT 300 RESOURCE_LOCK wineprefix_dpi)
    endforeach()
endif()

# The host's answers (usage, --save, a tour's files) on the console of the
# cmd.exe it was started from, in a terminal, and through a pipe.
if(TARGET quorin_host)
    add_test(NAME host_console
        COMMAND sh ${CMAKE_SOURCE_DIR}/tests/host/console_answers.sh ${CMAKE_BINARY_DIR}/wine-run.sh
            $<TARGET_FILE:quorin_host>)
    set_tests_properties(host_console PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 180 RESOURCE_LOCK wine_desktop)
endif()

# The main job's command, tools/run.sh, ends with the host's exit code. It
# builds in QUORIN_BUILD_DIR/win32, so only a build so named can run it.
get_filename_component(QUORIN_BUILD_NAME ${CMAKE_BINARY_DIR} NAME)
if(TARGET quorin_host AND QUORIN_BUILD_NAME STREQUAL "win32")
    get_filename_component(QUORIN_BUILD_ROOT ${CMAKE_BINARY_DIR} DIRECTORY)
    add_test(NAME run_command_exit COMMAND sh ${CMAKE_SOURCE_DIR}/tests/host/run_command_exit.sh ${QUORIN_BUILD_ROOT})
    set_tests_properties(run_command_exit PROPERTIES TIMEOUT 300 RESOURCE_LOCK wineprefix_x11)
endif()

# Page fill benchmarks (tools/bench.sh runs them at full size): each
# tests/bench_ui/<name>.cpp is a program of its own that loads the shipped
# DLL. ctest only runs each once at a tiny size to see it work.
file(GLOB QUORIN_UI_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench_ui/*.cpp)
# The host's own pages' bench drives the host's pages, not the DLL: below.
list(REMOVE_ITEM QUORIN_UI_BENCH_SOURCES ${CMAKE_SOURCE_DIR}/tests/bench_ui/admin_lists_bench.cpp)
foreach(source ${QUORIN_UI_BENCH_SOURCES})
    get_filename_component(target ${source} NAME_WE)
    add_executable(${target} ${source})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${QUORIN_WARNINGS} -O2)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(${target} PRIVATE quorin_plugin_library comctl32 user32 gdi32)
    target_link_options(${target} PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_dependencies(${target} quorin_glftpd_1_24)
    add_test(NAME ${target}_smoke COMMAND ${target} --smoke)
    set_tests_properties(${target}_smoke PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
        RESOURCE_LOCK wine_desktop)
endforeach()

# The bench of the host's own pages' big lists (tools/bench.sh runs it at
# full size, ctest once at a tiny size to see the lists filled); the pages'
# templates are the host's resources.
if(TARGET quorin_admin_pages)
    add_executable(admin_lists_bench ${CMAKE_SOURCE_DIR}/tests/bench_ui/admin_lists_bench.cpp
        ${CMAKE_SOURCE_DIR}/host/resources/host_resources.rc)
    target_include_directories(admin_lists_bench PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(admin_lists_bench PRIVATE ${QUORIN_WARNINGS} -O2)
    target_compile_definitions(admin_lists_bench PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(admin_lists_bench PRIVATE quorin_admin_pages comctl32 user32 gdi32)
    target_link_options(admin_lists_bench PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_test(NAME admin_lists_bench_smoke COMMAND admin_lists_bench --smoke)
    set_tests_properties(admin_lists_bench_smoke PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
        RESOURCE_LOCK wine_desktop)
endif()

# Releases: the version header for the resources and the host; the host's
# import rule; a release built afresh in another folder must give the same
# bytes as this build's DLL and host bundled (tools/release.sh twice, once
# building: half a minute on two cores; started first, beside the rest).
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/plugin.rc APPEND PROPERTY
    OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/generated/quorin_version.h)
if(TARGET quorin_host)
    target_include_directories(quorin_host PRIVATE ${CMAKE_BINARY_DIR}/generated)
    add_test(NAME host_tables
        COMMAND ${CMAKE_SOURCE_DIR}/tools/check-dll-tables.sh --program $<TARGET_FILE:quorin_host>)
endif()
add_test(NAME release_reproducible
    COMMAND ${CMAKE_SOURCE_DIR}/tests/release/reproducible.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(release_reproducible PROPERTIES TIMEOUT 1800 COST 1000)
# Live connection tests: the host's connection code under Wine against a
# loopback FTP server that answers like glftpd (tests/live/glftpd_test_server.py,
# run by tests/live/run_live_tests.sh with Debian's python3-pyftpdlib).
if(TARGET quorin_live_win32)
    set(QUORIN_LIVE_RUN sh ${CMAKE_SOURCE_DIR}/tests/live/run_live_tests.sh ${CMAKE_BINARY_DIR}/wine-run.sh)
    add_library(quorin_live_testserver STATIC ${CMAKE_SOURCE_DIR}/tests/live/live_server.cpp)
    target_include_directories(quorin_live_testserver PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(quorin_live_testserver PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(quorin_live_testserver PRIVATE QUORIN_FIXTURE_DIR="${QUORIN_FIXTURE_DIR}")
    target_link_libraries(quorin_live_testserver PUBLIC quorin_live_win32)

    # With the host's waiting mode, whose Cancel, Esc and close it drives.
    add_executable(live_connection_test ${CMAKE_SOURCE_DIR}/tests/live/live_connection_test.cpp
        ${CMAKE_SOURCE_DIR}/host/window/waiting_mode_win32.cpp ${CMAKE_SOURCE_DIR}/host/window/transcript_pane_win32.cpp)
    target_compile_options(live_connection_test PRIVATE ${QUORIN_WARNINGS})
    target_compile_definitions(live_connection_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(live_connection_test PRIVATE quorin_live_testserver quorin_sites_win32 gtest gtest_main
        user32)
    target_link_options(live_connection_test PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_test(NAME live_connection COMMAND ${QUORIN_LIVE_RUN} $<TARGET_FILE:live_connection_test>)
    # 120,000 names make SITE USER's listing 20,006 lines.
    set_tests_properties(live_connection PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
        ENVIRONMENT "QUORIN_LIVE_SERVER_ARGS=--listing-users 120000")

    # The plug-in's pages served over the connection (shows windows).
    # Saved sites end to end: the host program itself, saving, loading,
    # pinning on first use, refusing a changed certificate.
    add_executable(saved_sites_test ${CMAKE_SOURCE_DIR}/tests/live/saved_sites_test.cpp)
    target_compile_options(saved_sites_test PRIVATE ${QUORIN_WARNINGS})
    target_link_libraries(saved_sites_test PRIVATE quorin_live_testserver quorin_plugin_library gtest gtest_main)
    target_link_options(saved_sites_test PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_dependencies(saved_sites_test quorin_host)
    add_test(NAME saved_sites COMMAND ${QUORIN_LIVE_RUN} $<TARGET_FILE:saved_sites_test>)
    set_tests_properties(saved_sites PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600 RESOURCE_LOCK wine_desktop)

    add_executable(live_pages_test ${CMAKE_SOURCE_DIR}/tests/live/live_pages_test.cpp)
    target_compile_options(live_pages_test PRIVATE ${QUORIN_WARNINGS})
    target_link_libraries(live_pages_test PRIVATE quorin_live_testserver quorin_ui_harness)
    target_link_options(live_pages_test PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_dependencies(live_pages_test quorin_glftpd_1_24_probe)
    add_test(NAME live_pages COMMAND ${QUORIN_LIVE_RUN} $<TARGET_FILE:live_pages_test>)
    set_tests_properties(live_pages PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
        RESOURCE_LOCK wine_desktop)

    # Timings over the connection (tools/live-bench.sh); ctest runs it once
    # at a tiny size to see it work.
    # The Accounts page's listing against the real glftpd 2.13 goes through
    # the window's transcript pane and waiting mode as the host's does.
    add_executable(live_bench ${CMAKE_SOURCE_DIR}/tests/live/live_bench.cpp
        ${CMAKE_SOURCE_DIR}/host/window/waiting_mode_win32.cpp ${CMAKE_SOURCE_DIR}/host/window/transcript_pane_win32.cpp
        ${CMAKE_SOURCE_DIR}/host/resources/host_resources.rc)
    target_compile_options(live_bench PRIVATE ${QUORIN_WARNINGS} -O2)
    target_compile_definitions(live_bench PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_libraries(live_bench PRIVATE quorin_live_testserver quorin_plugin_library quorin_admin_pages
        comctl32 user32 gdi32)
    target_link_options(live_bench PRIVATE ${QUORIN_STATIC_RUNTIME})
    add_dependencies(live_bench quorin_glftpd_1_24)
    # The reference host's live tour (it only reads) against the same server.
    if(TARGET quorin_host)
        add_test(NAME live_tour COMMAND sh ${CMAKE_SOURCE_DIR}/tests/live/run_live_tests.sh
            sh ${CMAKE_SOURCE_DIR}/tests/live/live_tour_check.sh ${CMAKE_BINARY_DIR}/wine-run.sh
            $<TARGET_FILE:quorin_host>)
        set_tests_properties(live_tour PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
            RESOURCE_LOCK wine_desktop ENVIRONMENT "QUORIN_LIVE_SERVER_ARGS=--listing-users 100")
    endif()
    # Each host administration page against a real glftpd 2.13, started for
    # the run from ../shared/glftpd-2.13 beside the clone and given a small
    # site (tests/live/run_glftpd213.sh); skipped, with a line saying why,
    # where that is absent or the run is not root. Each test has a server of
    # its own (port, ipc key, WORK folder), so that they run side by side;
    # glftpd takes the ipc key and the two after it, so the keys lie 16 apart.
    if(TARGET quorin_admin_pages)
        set(QUORIN_GLFTPD_PORT 2252 CACHE STRING "Port of the real glftpd 2.13 the live administration test starts")
        set(QUORIN_GLFTPD_IPC_KEY 0x00007B20 CACHE STRING "Its ipc key (its shared memory)")
        set(QUORIN_GLFTPD_WORK_PREFIX /tmp/quorin-glftpd CACHE STRING "Where its WORK folder goes (under /tmp)")
        set(QUORIN_GLFTPD_NAMES_PORT 2253 CACHE STRING "Port of the real glftpd 2.13 of the odd-names test")
        set(QUORIN_GLFTPD_NAMES_IPC_KEY 0x00007B30 CACHE STRING "Its ipc key (its shared memory)")
        set(QUORIN_GLFTPD_ACCOUNT_NAMES_PORT 2254 CACHE STRING "Port of the real glftpd 2.13 of the live account names test")
        set(QUORIN_GLFTPD_ACCOUNT_NAMES_IPC_KEY 0x00007B40 CACHE STRING "Its ipc key (its shared memory)")
        set(QUORIN_GLANCE_GLFTPD_PORT 2255 CACHE STRING "Port of the real glftpd 2.13 the live glance test starts")
        set(QUORIN_GLANCE_GLFTPD_IPC_KEY 0x00007B50 CACHE STRING "Its ipc key")
        set(QUORIN_HISTORY_GLFTPD_PORT 2256 CACHE STRING "Port of the real glftpd 2.13 the change record's live test starts")
        set(QUORIN_HISTORY_GLFTPD_IPC_KEY 0x00007B60 CACHE STRING "Its ipc key")

        # quorin_real_glftpd_test(NAME PORT IPC_KEY WORK SOURCES... [LIBRARIES ...] [ENVIRONMENT ...])
        function(quorin_real_glftpd_test name port ipc_key work)
            cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
            add_executable(${name}_test ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/host/resources/host_resources.rc)
            target_include_directories(${name}_test PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
            target_compile_options(${name}_test PRIVATE ${QUORIN_WARNINGS})
            target_compile_definitions(${name}_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
            target_link_libraries(${name}_test PRIVATE quorin_admin_pages quorin_live_win32 quorin_ui_harness
                ${ARG_LIBRARIES})
            target_link_options(${name}_test PRIVATE ${QUORIN_STATIC_RUNTIME})
            add_test(NAME ${name} COMMAND sh ${CMAKE_SOURCE_DIR}/tests/live/run_glftpd213.sh
                ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:${name}_test>)
            set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RESOURCE_LOCK wine_desktop
                SKIP_RETURN_CODE 77
                ENVIRONMENT "QUORIN_GLFTPD_PORT=${port};QUORIN_GLFTPD_IPC_KEY=${ipc_key};QUORIN_GLFTPD_WORK_PREFIX=${work};${ARG_ENVIRONMENT}")
        endfunction()

        quorin_real_glftpd_test(live_admin ${QUORIN_GLFTPD_PORT} ${QUORIN_GLFTPD_IPC_KEY}
            ${QUORIN_GLFTPD_WORK_PREFIX} SOURCES ${CMAKE_SOURCE_DIR}/tests/live/live_admin_test.cpp)
        # The Group settings page on odd names and for an operator with colours.
        quorin_real_glftpd_test(live_admin_names ${QUORIN_GLFTPD_NAMES_PORT} ${QUORIN_GLFTPD_NAMES_IPC_KEY}
            ${QUORIN_GLFTPD_WORK_PREFIX}-names SOURCES ${CMAKE_SOURCE_DIR}/tests/live/live_admin_names_test.cpp)
        # The Accounts and One change for many pages on odd names and for an
        # operator with colours.
        quorin_real_glftpd_test(live_admin_accounts_names ${QUORIN_GLFTPD_ACCOUNT_NAMES_PORT}
            ${QUORIN_GLFTPD_ACCOUNT_NAMES_IPC_KEY} ${QUORIN_GLFTPD_WORK_PREFIX}-accounts
            SOURCES ${CMAKE_SOURCE_DIR}/tests/live/live_admin_accounts_names_test.cpp)
        # Online now and Top lists, with two more sessions kept logged in by
        # tests/live/glance_companion.py.
        quorin_real_glftpd_test(live_glance ${QUORIN_GLANCE_GLFTPD_PORT} ${QUORIN_GLANCE_GLFTPD_IPC_KEY}
            /tmp/quorin-glance-glftpd SOURCES ${CMAKE_SOURCE_DIR}/tests/live/live_glance_test.cpp
            ENVIRONMENT "QUORIN_GLFTPD_COMPANION=${CMAKE_SOURCE_DIR}/tests/live/glance_companion.py")
        # The change record: a page's change, a refusal and a cancel.
        quorin_real_glftpd_test(history_live ${QUORIN_HISTORY_GLFTPD_PORT} ${QUORIN_HISTORY_GLFTPD_IPC_KEY}
            /tmp/quorin-glftpd-history SOURCES ${CMAKE_SOURCE_DIR}/tests/live/history_live_test.cpp
            ${CMAKE_SOURCE_DIR}/host/window/screenshot_win32.cpp LIBRARIES ole32 windowscodecs uuid)
    endif()
    add_test(NAME live_bench_smoke COMMAND ${QUORIN_LIVE_RUN} $<TARGET_FILE:live_bench> --smoke)
    set_tests_properties(live_bench_smoke PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
        RESOURCE_LOCK wine_desktop ENVIRONMENT "QUORIN_LIVE_SERVER_ARGS=--listing-users 100")
endif()
