include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)

# The folders FOLDER may include directly, from the table in layers.cmake.
function(vektrano_layer_below folder out)
    foreach(entry IN LISTS VEKTRANO_LAYERS)
        string(REPLACE ":" ";" parts "${entry}")
        list(GET parts 0 name)
        if(name STREQUAL folder)
            string(REGEX REPLACE "^[^:]*:" "" below "${entry}")
            separate_arguments(below UNIX_COMMAND "${below}")
            set(${out} ${below} PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "src/${folder} is missing from the table in cmake/layers.cmake")
endfunction()

# vektrano_library(<folder> [TARGET <name>] SOURCES ... [LINK ...] [PRIVATE_LINK ...])
#
# One static library of src/<folder>, named vektrano_<folder> unless TARGET says
# otherwise. It exports only its own root: a folder in the build tree holding one
# link <folder> -> src/<folder>, so "state/variablen.h" resolves for the folders
# that link it and for no other. It links the folders the layer table puts below
# it; LINK and PRIVATE_LINK add further libraries (third-party ones, or a sibling
# in the same folder).
function(vektrano_library folder)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "TARGET" "SOURCES;LINK;PRIVATE_LINK")
    set(target vektrano_${folder})
    if(arg_TARGET)
        set(target ${arg_TARGET})
    endif()
    set(root ${PROJECT_BINARY_DIR}/include/${folder})
    if(NOT EXISTS ${root}/${folder})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    add_library(${target} STATIC ${arg_SOURCES})
    target_include_directories(${target} PUBLIC ${root})
    vektrano_layer_below(${folder} below)
    foreach(lower IN LISTS below)
        target_link_libraries(${target} PUBLIC vektrano_${lower})
    endforeach()
    target_link_libraries(${target} PUBLIC ${arg_LINK} PRIVATE ${arg_PRIVATE_LINK} vektrano_warnings)
endfunction()
