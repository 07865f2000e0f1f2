list(APPEND RESOURCE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MvFeedwick.rc)
# The resource compiler reports no dependencies: a change to an included template, header,
# bitmap or icon must still rebuild the resources.
file(GLOB RESOURCE_INPUTS CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_LIST_DIR}/*.rc ${CMAKE_CURRENT_LIST_DIR}/*.h
     ${CMAKE_CURRENT_LIST_DIR}/*.bmp ${CMAKE_CURRENT_LIST_DIR}/*.ico)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/MvFeedwick.rc PROPERTIES OBJECT_DEPENDS "${RESOURCE_INPUTS}")
