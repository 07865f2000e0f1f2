list(APPEND WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Delivery.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Plugin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RetrievalWorker.cpp)
# Only the library itself has the entry point and the exports.
list(APPEND PLUGIN_ENTRY_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Exports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MvFeedwick.def)
