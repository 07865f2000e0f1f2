# One static library per layer, linked only to the layer below it. A layer's code finds
# its own headers and those of the layers below ("feed/FeedItem.h"), and nothing above:
# each layer's include root is a folder that holds a link to that layer's folder alone,
# so an include that points up fails to build.
foreach(layer ${FEEDWICK_LAYERS})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/layers/${layer})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${layer} ${CMAKE_BINARY_DIR}/layers/${layer}/${layer} SYMBOLIC)
endforeach()

# add_layer_libraries(PREFIX name KINDS PORTABLE [WIN32] [OPTIONS flags...]
#                     [LINK_OPTIONS flags...] [LIBRARIES libs...])
# makes ${name}_<layer> for every layer from those kinds of sources. Their users compile with
# OPTIONS and link with LINK_OPTIONS as well; the lowest links LIBRARIES. ${name}_plugin,
# the top, holds them all.
function(add_layer_libraries)
    cmake_parse_arguments(LAYERED "" "PREFIX" "KINDS;OPTIONS;LINK_OPTIONS;LIBRARIES" ${ARGN})
    set(below ${LAYERED_LIBRARIES})
    foreach(layer ${FEEDWICK_LAYERS})
        set(sources "")
        foreach(kind ${LAYERED_KINDS})
            list(APPEND sources ${${layer}_${kind}_SOURCES})
        endforeach()
        set(target ${LAYERED_PREFIX}_${layer})
        if(sources)
            add_library(${target} STATIC ${sources})
            set(scope PUBLIC)
        else()
            add_library(${target} INTERFACE)
            set(scope INTERFACE)
        endif()
        target_include_directories(${target} ${scope} ${CMAKE_BINARY_DIR}/layers/${layer})
        target_compile_options(${target} ${scope} ${LAYERED_OPTIONS})
        target_link_options(${target} ${scope} ${LAYERED_LINK_OPTIONS})
        target_link_libraries(${target} ${scope} ${below})
        set(below ${target})
    endforeach()
endfunction()
