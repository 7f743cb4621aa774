# Each folder of src/ is a layer that may include only from itself and the layers below
# it. The build holds it to that in two ways: the library's include root holds links to
# those folders alone, so `<screen/...>` is not found from diagram; and before the
# library compiles, checkLayer.cmake looks up every include of the folder wherever the
# compiler could find it (beside the file, under any include root), which also catches
# "../screen/..." and "core/../screen/...".

set(VOROQUARN_LAYER_CHECK ${CMAKE_CURRENT_LIST_DIR}/checkLayer.cmake)
# The check depends on every file of src/: an include that finds nothing today may find
# a file added above tomorrow.
file(GLOB_RECURSE VOROQUARN_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*)

# voroquarn_layer(TARGET FOLDER BELOW...): FOLDER of src/ is built as TARGET, which may
# include from FOLDER and the folders BELOW.
function(voroquarn_layer target folder)
    set(visible ${ARGN} ${folder})
    set(root ${PROJECT_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${root})
    file(GLOB stale LIST_DIRECTORIES true ${root}/*)
    if(stale)
        file(REMOVE ${stale})
    endif()
    foreach(layer IN LISTS visible)
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${root}/${layer} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
    list(JOIN visible ", " shown)

    set(stamp ${PROJECT_BINARY_DIR}/layers/${folder}.checked)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DSOURCES=${PROJECT_SOURCE_DIR}/src -DFOLDER=${folder}
                "-DVISIBLE=${visible}"
                "-DROOTS=$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>;${CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES}"
                -DSTAMP=${stamp} -P ${VOROQUARN_LAYER_CHECK}
        DEPENDS ${VOROQUARN_LAYER_CHECK} ${VOROQUARN_SOURCES}
        COMMENT "Checking that src/${folder} includes only from ${shown}"
        VERBATIM)
    add_custom_target(${target}_layer DEPENDS ${stamp})
    add_dependencies(${target} ${target}_layer)
endfunction()
