# Keeps src/ layered as cmake/Layers.cmake says, three ways:
# - each folder's target exposes only its own headers ("link/port.h" is found
#   through a folder that holds nothing but link/), so the compiler sees only
#   what the target links;
# - at configure time, a target that links a folder its row does not name stops
#   the configuration;
# - before anything compiles, cmake/check_includes.cmake reads every #include
#   under src/ and stops the build with the rule a wrong one breaks.

# The table's rows, kept as global properties for the checks below.
function(qm3270_layer folder)
    cmake_parse_arguments(PARSE_ARGV 1 row "POSIX" "WHY" "TARGETS;USES;QT")
    set_property(GLOBAL APPEND PROPERTY QM3270_LAYERS ${folder})
    set_property(GLOBAL PROPERTY QM3270_LAYER_${folder}_TARGETS ${row_TARGETS})
    set_property(GLOBAL PROPERTY QM3270_LAYER_${folder}_USES ${row_USES})
    set_property(GLOBAL PROPERTY QM3270_LAYER_${folder}_WHY "${row_WHY}")
    foreach(target IN LISTS row_TARGETS)
        set_property(GLOBAL PROPERTY QM3270_LAYER_OF_${target} ${folder})
    endforeach()
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

# Makes `target` see its own folder's headers as "<folder>/<name>.h", and no
# other folder of src/: it gets the others only through what it links.
function(qm3270_expose_headers target)
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(root ${PROJECT_BINARY_DIR}/include/${folder})
    set(link ${root}/${folder})
    if(IS_SYMLINK ${link})
        file(READ_SYMLINK ${link} current)
        if(NOT current STREQUAL CMAKE_CURRENT_SOURCE_DIR)
            file(REMOVE ${link})
        endif()
    endif()
    if(NOT EXISTS ${link})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${link} SYMBOLIC RESULT failure)
        if(NOT failure EQUAL 0)
            # Windows without the right to make links: the whole of src/ is
            # visible, and the include check alone keeps the layering.
            message(WARNING "cannot link ${link} (${failure}); ${target} sees all of src/")
            set(root ${PROJECT_SOURCE_DIR}/src)
        endif()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        target_include_directories(${target} PRIVATE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()

# Called once every target under src/ exists.
function(qm3270_check_layering)
    get_property(layers GLOBAL PROPERTY QM3270_LAYERS)
    file(GLOB entries LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/src/*)
    foreach(entry IN LISTS entries)
        get_filename_component(folder ${entry} NAME)
        if(IS_DIRECTORY ${entry} AND NOT folder IN_LIST layers)
            message(FATAL_ERROR "src/${folder} has no row in cmake/Layers.cmake: "
                                "add one saying what it may include and link")
        endif()
    endforeach()

    # What a target links, it could include: the same table rules it.
    foreach(folder IN LISTS layers)
        get_property(targets GLOBAL PROPERTY QM3270_LAYER_${folder}_TARGETS)
        get_property(uses GLOBAL PROPERTY QM3270_LAYER_${folder}_USES)
        get_property(why GLOBAL PROPERTY QM3270_LAYER_${folder}_WHY)
        foreach(target IN LISTS targets)
            if(NOT TARGET ${target})
                message(FATAL_ERROR "cmake/Layers.cmake names ${target} for src/${folder}, "
                                    "but src/${folder}/CMakeLists.txt makes no such target")
            endif()
            get_target_property(linked ${target} LINK_LIBRARIES)
            foreach(dependency IN LISTS linked)
                get_property(other GLOBAL PROPERTY QM3270_LAYER_OF_${dependency})
                if(other AND NOT other STREQUAL folder AND NOT other IN_LIST uses)
                    string(REPLACE ";" "/, " allowed "${folder};${uses}")
                    message(FATAL_ERROR "${target} links ${dependency} (src/${other}): "
                                        "src/${folder} may use only ${allowed}/ - ${why} "
                                        "(layers: ${QM3270_LAYER_ORDER}, rules in cmake/Layers.cmake)")
                endif()
            endforeach()
            add_dependencies(${target} qm3270_include_check)
        endforeach()
    endforeach()
endfunction()

# The include check runs again whenever a source file or the table changes.
function(qm3270_add_include_check)
    get_target_property(qt_dirs Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
    set(qt_headers "")
    foreach(dir IN LISTS qt_dirs)
        if(IS_DIRECTORY ${dir}/QtCore)
            set(qt_headers ${dir})
        endif()
    endforeach()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.cpp)
    set(stamp ${PROJECT_BINARY_DIR}/include_check.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DQT_HEADERS=${qt_headers}
                -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
        DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/Layers.cmake
                ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
        COMMENT "Checking every #include under src/ against cmake/Layers.cmake"
        VERBATIM)
    add_custom_target(qm3270_include_check DEPENDS ${stamp})
endfunction()
