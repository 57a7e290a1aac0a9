# Checks that every source includes only the folders its own folder may use, each folder
# using only those below it, and that core/ and storage/ include no Qt header.
#   cmake -DROOT=<repository> -P IncludeCheck.cmake
# Fails with one line per wrong include.
cmake_minimum_required(VERSION 3.22)

# The folders each folder may include, besides itself.
set(uses_core "")
set(uses_storage core)
set(uses_start core storage)
set(uses_display core storage start)
set(uses_runner core storage start display)
set(uses_app core storage start display runner)
set(layered core storage start display runner app)
# What a folder's tests may include beyond the folder's own rule: the core's pinned results
# compare snapshots, and the window tests drive the program as app/ wires it.
set(test_extra_core storage)
set(test_extra_display app)
set(without_qt core storage)

set(wrong "")

# The folder of the repository whose rules a source under path follows, and what it may
# include in addition: tests/<folder>/ follows <folder> and may use tests/ too; the rest
# of tests/ and bench/ may use any folder.
function(rules_for path out_folder out_extra)
    string(REGEX MATCH "^[^/]+" top "${path}")
    set(folder "${top}")
    set(extra "")
    if(top STREQUAL "tests")
        string(REGEX MATCH "^tests/([^/]+)/" _ "${path}")
        set(folder "${CMAKE_MATCH_1}")
        if(NOT folder IN_LIST layered)
            set(folder "")
        endif()
        set(extra tests ${test_extra_${folder}})
    elseif(top STREQUAL "bench")
        set(folder "")
    endif()
    set(${out_folder} "${folder}" PARENT_SCOPE)
    set(${out_extra} "${extra}" PARENT_SCOPE)
endfunction()

function(check_file path)
    rules_for("${path}" folder extra)
    set(allowed ${layered} tests bench)
    if(folder)
        set(allowed ${folder} ${uses_${folder}} ${extra})
    endif()
    file(STRINGS "${ROOT}/${path}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]*)\"")
            set(included "${CMAKE_MATCH_1}")
            string(REGEX MATCH "^[^/]+/" named "${included}")
            string(REGEX REPLACE "/$" "" named "${named}")
            if(NOT named)
                list(APPEND wrong "${path}: \"${included}\" does not name its folder")
            elseif(NOT named IN_LIST allowed)
                list(APPEND wrong "${path} includes ${named}/: \"${included}\"")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)")
            set(header "${CMAKE_MATCH_1}")
            if(folder IN_LIST without_qt AND NOT path MATCHES "^tests/")
                list(APPEND wrong "${path} includes the Qt header <${header}>")
            endif()
        endif()
    endforeach()
    set(wrong "${wrong}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${ROOT}"
    "${ROOT}/*.h" "${ROOT}/*.hpp" "${ROOT}/*.cpp" "${ROOT}/*.cc")
list(FILTER sources INCLUDE REGEX "^(core|storage|start|display|runner|app|tests|bench)/")
if(NOT sources)
    message(FATAL_ERROR "no sources under ${ROOT}")
endif()
foreach(path IN LISTS sources)
    check_file("${path}")
endforeach()

if(wrong)
    list(JOIN wrong "\n" text)
    message(FATAL_ERROR "Wrong includes:\n${text}")
endif()
list(LENGTH sources count)
message(STATUS "includes of ${count} files follow the layers")
