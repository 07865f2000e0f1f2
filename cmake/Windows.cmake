# Windows build: the plug-in DLL, the stand-in host and the Wine-run test suite.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                        _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
# Runtime linked statically: the DLL and the test programs import system DLLs only.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(SYSTEM_LIBRARIES ole32 oleaut32 uuid winhttp comctl32 comdlg32 shell32 shlwapi gdi32 user32 advapi32 version)

# zlib decodes compressed responses. Linked statically, like the runtime, so that every
# Windows version has it.
find_library(ZLIB_STATIC_LIBRARY NAMES libz.a REQUIRED)
add_layer_libraries(PREFIX feedwick KINDS PORTABLE WIN32 LIBRARIES ${ZLIB_STATIC_LIBRARY} ${SYSTEM_LIBRARIES})

add_library(MvFeedwick SHARED ${PLUGIN_ENTRY_SOURCES} ${RESOURCE_SOURCES})
set_target_properties(MvFeedwick PROPERTIES PREFIX "" OUTPUT_NAME MvFeedwick)
target_link_libraries(MvFeedwick PRIVATE feedwick_plugin)
target_link_options(MvFeedwick PRIVATE ${STATIC_RUNTIME} -Wl,--enable-stdcall-fixup)

# The stand-in host exports the client's functions from its executable; a variant per
# missing function lets tests see the plug-in refuse such a host.
function(add_standin_host_objects name)
    add_library(${name} OBJECT host/StandInHost.cpp)
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/host)
    target_compile_definitions(${name} PRIVATE ${ARGN})
endfunction()

function(add_standin_host name objects)
    add_executable(${name} host/StandInHostMain.cpp $<TARGET_OBJECTS:${objects}>)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/host)
    target_link_libraries(${name} PRIVATE ${SYSTEM_LIBRARIES} psapi)
    target_link_options(${name} PRIVATE ${STATIC_RUNTIME} -Wl,--kill-at)
    add_dependencies(${name} MvFeedwick)
endfunction()

add_standin_host_objects(standin_host_full)
add_standin_host_objects(standin_host_no_connect STANDIN_HOST_WITHOUT_CONNECT)
add_standin_host_objects(standin_host_no_setstatus STANDIN_HOST_WITHOUT_SETSTATUS)
add_standin_host_objects(standin_host_no_nextunread STANDIN_HOST_WITHOUT_NEXTUNREAD)
add_standin_host(StandInHost standin_host_full)
add_standin_host(StandInHost-NoConnect standin_host_no_connect)
add_standin_host(StandInHost-NoSetStatus standin_host_no_setstatus)
add_standin_host(StandInHost-NoNextUnread standin_host_no_nextunread)

# One test program for all Win32 code and, again, the portable code; it is a host itself.
# It carries the library's resources too, so that the dialogs open from the test program.
add_executable(feedwick_tests ${PORTABLE_TESTS} ${WIN32_TESTS} ${RESOURCE_SOURCES} $<TARGET_OBJECTS:standin_host_full>)
target_include_directories(feedwick_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/host)
target_link_libraries(feedwick_tests PRIVATE feedwick_plugin gtest_main crypt32)
target_link_options(feedwick_tests PRIVATE ${STATIC_RUNTIME} -Wl,--kill-at)
add_dependencies(feedwick_tests MvFeedwick StandInHost StandInHost-NoConnect
                 StandInHost-NoSetStatus StandInHost-NoNextUnread)

# The test server's HTTPS certificates, with their keys, made once per build folder; only the
# tests' own Wine prefix trusts their authority.
set(TEST_CERTIFICATES_DIR ${CMAKE_BINARY_DIR}/test-certificates)
add_custom_command(OUTPUT ${TEST_CERTIFICATES_DIR}/ca.der
    COMMAND ${CMAKE_SOURCE_DIR}/tests/server/make-certificates ${TEST_CERTIFICATES_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/server/make-certificates
    COMMENT "Making the test server's certificates"
    VERBATIM)
add_custom_target(test_certificates DEPENDS ${TEST_CERTIFICATES_DIR}/ca.der)
add_dependencies(feedwick_tests test_certificates)

set(TEST_FILES_ENVIRONMENT
    "FEEDWICK_TEST_SERVER=${CMAKE_SOURCE_DIR}/tests/server/feedserver.py"
    "FEEDWICK_TEST_CERTIFICATES=${TEST_CERTIFICATES_DIR}"
    "FEEDWICK_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
set(TEST_ENVIRONMENT ${TEST_FILES_ENVIRONMENT} "TZ=JST-9")
add_test(NAME win32_cp936 COMMAND feedwick_tests)
set_tests_properties(win32_cp936 PROPERTIES ENVIRONMENT "LC_ALL=zh_CN.UTF-8;${TEST_ENVIRONMENT}")
# Suites whose results depend on the ANSI code page run again under Japanese and Western ones.
string(JOIN ":" CODE_PAGE_FILTER ${CODE_PAGE_SENSITIVE_SUITES})
foreach(codepage IN ITEMS "932;ja_JP.UTF-8" "1252;C")
    list(GET codepage 0 number)
    list(GET codepage 1 locale)
    add_test(NAME win32_cp${number} COMMAND feedwick_tests --gtest_filter=${CODE_PAGE_FILTER})
    set_tests_properties(win32_cp${number} PROPERTIES ENVIRONMENT "LC_ALL=${locale};${TEST_ENVIRONMENT}")
endforeach()
# The last-retrieval pickers again west of UTC, where the time 0 is a local time of 1969 and
# daylight saving repeats an hour.
add_test(NAME win32_west_of_utc COMMAND feedwick_tests --gtest_filter=PickerTimes*)
set_tests_properties(win32_west_of_utc PROPERTIES ENVIRONMENT "LC_ALL=zh_CN.UTF-8;${TEST_FILES_ENVIRONMENT};TZ=EST5EDT")
# A suite that hangs fails in bounded time rather than holding up every suite after it.
set_tests_properties(win32_cp936 win32_cp932 win32_cp1252 win32_west_of_utc PROPERTIES TIMEOUT 1200)

# The help file beside the DLL, whose dialogs open its topics. The pages stay UTF-8; the
# project, contents and index go to GB2312 (code page 936), in which the viewer reads them
# for a Simplified Chinese help file.
find_program(CHMCMD chmcmd REQUIRED)
find_program(ICONV iconv REQUIRED)
set(HELP_SOURCE_DIR ${CMAKE_SOURCE_DIR}/src/resources/help)
set(HELP_STAGE_DIR ${CMAKE_BINARY_DIR}/help)
set(HELP_FILE ${CMAKE_BINARY_DIR}/bin/MvFeedwick.chm)
file(GLOB HELP_SOURCES CONFIGURE_DEPENDS ${HELP_SOURCE_DIR}/*)
set(HELP_CONVERSIONS "")
foreach(name MvFeedwick.hhp toc.hhc index.hhk)
    list(APPEND HELP_CONVERSIONS COMMAND ${ICONV} -f UTF-8 -t CP936 -o ${HELP_STAGE_DIR}/${name} ${HELP_SOURCE_DIR}/${name})
endforeach()
add_custom_command(OUTPUT ${HELP_FILE}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${HELP_STAGE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${HELP_SOURCE_DIR} ${HELP_STAGE_DIR}
    ${HELP_CONVERSIONS}
    COMMAND ${CMAKE_COMMAND} -E chdir ${HELP_STAGE_DIR} ${CHMCMD} --verbosity 0 MvFeedwick.hhp
    COMMAND ${CMAKE_COMMAND} -E copy ${HELP_STAGE_DIR}/MvFeedwick.chm ${HELP_FILE}
    DEPENDS ${HELP_SOURCES}
    COMMENT "Compiling the help file MvFeedwick.chm"
    VERBATIM)
add_custom_target(MvFeedwickHelp ALL DEPENDS ${HELP_FILE})
install(FILES $<TARGET_FILE:MvFeedwick> ${HELP_FILE} DESTINATION .)
add_test(NAME help_topics COMMAND ${CMAKE_SOURCE_DIR}/tests/help/check_help_topics.py ${HELP_FILE})
