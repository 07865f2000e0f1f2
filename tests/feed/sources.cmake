list(APPEND PORTABLE_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/AtomText_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Charset_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ContentDecoding_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateParsing_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EntityRepair_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FeedDiscovery_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FeedItem_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlDeclaration_test.cpp)
list(APPEND WIN32_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/FeedFetch_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FeedReading_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HostileServer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HttpRequest_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HttpsFetch_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LegacyCharsets_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpmlImport_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RequestQueue_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ResponseBody_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlDom_test.cpp)
# Bodies are decoded and dates narrowed through code pages.
list(APPEND CODE_PAGE_SENSITIVE_SUITES "ResponseBody*" "FeedReading*" "LegacyCharsets*" "DateParsing*")
