# cmake -DSOURCE_DIR=<project> -DQT_HEADERS=<Qt's include folder> [-DSTAMP=<file>]
#       -P cmake/check_includes.cmake
#
# Reads every #include under src/ and checks it against cmake/Layers.cmake:
# a "<folder>/…" include must name the file's own folder or one its row uses,
# a Qt header must come from one of the row's Qt modules, and a POSIX-only
# header must sit behind an #if unless the row allows POSIX. Every broken rule
# is printed as "<file>:<line>: error: …"; then the check fails. On success
# it touches STAMP, so the build runs it again only when a source changes.

cmake_minimum_required(VERSION 3.25)

function(qm3270_layer folder)
    cmake_parse_arguments(PARSE_ARGV 1 row "POSIX" "WHY" "TARGETS;USES;QT")
    set_property(GLOBAL APPEND PROPERTY layers ${folder})
    set_property(GLOBAL PROPERTY ${folder}_uses ${row_USES})
    set_property(GLOBAL PROPERTY ${folder}_qt ${row_QT})
    set_property(GLOBAL PROPERTY ${folder}_posix ${row_POSIX})
    set_property(GLOBAL PROPERTY ${folder}_why "${row_WHY}")
endfunction()
include(${SOURCE_DIR}/cmake/Layers.cmake)
get_property(layers GLOBAL PROPERTY layers)

# The Qt modules as folders of Qt's headers: QtCore, QtWidgets, …
set(qt_modules "")
if(QT_HEADERS)
    file(GLOB qt_entries LIST_DIRECTORIES true ${QT_HEADERS}/Qt*)
    foreach(entry IN LISTS qt_entries)
        if(IS_DIRECTORY ${entry})
            get_filename_component(name ${entry} NAME)
            list(APPEND qt_modules ${name})
        endif()
    endforeach()
endif()

# The module that holds a Qt header ("QWidget", "QtWidgets/QWidget", "QtSql"),
# or "" for a header that is not Qt's.
function(qt_module_of header out)
    set(module "")
    if(header MATCHES "^(Qt[A-Za-z]+)(/|$)" AND CMAKE_MATCH_1 IN_LIST qt_modules)
        set(module ${CMAKE_MATCH_1})
    elseif(header MATCHES "^Q[A-Za-z0-9_]+$")
        foreach(candidate IN LISTS qt_modules)
            if(EXISTS ${QT_HEADERS}/${candidate}/${header})
                set(module ${candidate})
                break()
            endif()
        endforeach()
    endif()
    string(REGEX REPLACE "^Qt" "" module "${module}")
    set(${out} "${module}" PARENT_SCOPE)
endfunction()

set(posix_headers "^(unistd|termios|fcntl|pty|utmp|poll|dirent|pthread|dlfcn|pwd|grp|syslog|libgen|strings|spawn|semaphore|sched|err)\\.h$|^(sys|netinet|arpa|net)/")

set(problems "")
# Adds "<file>:<line>: error: <text>" for the first line of `path` holding `directive`.
macro(report directive text)
    string(FIND "${content}" "${directive}" at)
    string(SUBSTRING "${content}" 0 ${at} before)
    string(REGEX REPLACE "[^\n]" "" newlines "${before}")
    string(LENGTH "${newlines}" line)
    math(EXPR line "${line} + 1")
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${path})
    list(APPEND problems "${shown}:${line}: error: ${text} (layers: ${QM3270_LAYER_ORDER})")
endmacro()

file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
list(SORT sources)
foreach(path IN LISTS sources)
    file(RELATIVE_PATH relative ${SOURCE_DIR}/src ${path})
    string(REGEX REPLACE "/.*" "" folder "${relative}")
    if(NOT folder IN_LIST layers)
        continue()  # the configuration already refuses a folder without a row
    endif()
    get_property(uses GLOBAL PROPERTY ${folder}_uses)
    get_property(qt GLOBAL PROPERTY ${folder}_qt)
    get_property(posix GLOBAL PROPERTY ${folder}_posix)
    get_property(why GLOBAL PROPERTY ${folder}_why)
    set(allowed ${folder} ${uses})

    file(READ ${path} content)
    file(STRINGS ${path} directives REGEX "^[ \t]*#[ \t]*(include|if|ifdef|ifndef|endif)")
    set(depth 0)
    foreach(directive IN LISTS directives)
        if(directive MATCHES "^[ \t]*#[ \t]*(if|ifdef|ifndef)([ \t(!]|$)")
            math(EXPR depth "${depth} + 1")
            continue()
        elseif(directive MATCHES "^[ \t]*#[ \t]*endif")
            math(EXPR depth "${depth} - 1")
            continue()
        elseif(NOT directive MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)")
            continue()
        endif()
        set(kind ${CMAKE_MATCH_1})
        set(header ${CMAKE_MATCH_2})

        if(kind STREQUAL "\"")
            # "link/port.h": a folder of src/ (a name without a folder is the file's neighbour)
            if(header MATCHES "^([^/]+)/" AND CMAKE_MATCH_1 IN_LIST layers
               AND NOT CMAKE_MATCH_1 IN_LIST allowed)
                string(REPLACE ";" "/, " shown_allowed "${allowed}")
                report("${directive}" "#include \"${header}\": src/${folder} may include only ${shown_allowed}/ - ${why}")
            endif()
            continue()
        endif()

        qt_module_of("${header}" module)
        if(module AND NOT module IN_LIST qt)
            string(REPLACE ";" ", " shown_qt "${qt}")
            report("${directive}" "#include <${header}> is Qt ${module}: src/${folder} may use only Qt ${shown_qt} - ${why}")
        elseif(header MATCHES "${posix_headers}" AND NOT posix AND depth EQUAL 0)
            report("${directive}" "#include <${header}> is POSIX-only outside an #if: src/${folder} must build on Windows too, so it goes behind a platform test (#ifdef Q_OS_LINUX)")
        endif()
    endforeach()
endforeach()

if(problems)
    foreach(problem IN LISTS problems)
        message(NOTICE "${problem}")
    endforeach()
    message(FATAL_ERROR "The layering of src/ is broken (rules: cmake/Layers.cmake).")
endif()
if(STAMP)
    file(TOUCH ${STAMP})
endif()
