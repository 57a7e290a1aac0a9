# Plants one wrong include in a small tree and runs the include check on it, which must
# name it: a folder including one above it, or core/ including Qt.
#   cmake -DTREE=<folder to write> -DPLANT=upward|qt -DCHECK=<IncludeCheck.cmake> -P ...
cmake_minimum_required(VERSION 3.22)
file(REMOVE_RECURSE "${TREE}")
file(WRITE "${TREE}/core/Store.h" "#pragma once\n")
file(WRITE "${TREE}/display/Picture.h" "#pragma once\n#include \"core/Store.h\"\n")
file(WRITE "${TREE}/storage/Snapshot.cpp" "#include \"core/Store.h\"\n")
if(PLANT STREQUAL "upward")
    file(APPEND "${TREE}/storage/Snapshot.cpp" "#include \"display/Picture.h\"\n")
elseif(PLANT STREQUAL "qt")
    file(APPEND "${TREE}/core/Store.h" "#include <QImage>\n")
endif()
set(ROOT "${TREE}")
include("${CHECK}")
