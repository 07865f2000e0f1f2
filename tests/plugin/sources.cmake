list(APPEND WIN32_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/HostBinding_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ItemMail_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ItemMemory_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MailCorpus_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginCallbacks_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Retrieval_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Setup_test.cpp)
