list(APPEND PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AtomText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Charset.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ContentDecoding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateParsing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EntityRepair.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FeedDiscovery.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FeedItem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HtmlEntities.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlDeclaration.cpp)
list(APPEND WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AtomReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FeedFetch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FeedFetcher.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HttpRequest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpmlImport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RequestQueue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ResponseBody.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlDom.cpp)
