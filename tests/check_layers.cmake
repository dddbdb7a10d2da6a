cmake_minimum_required(VERSION 3.21)
# Fails when a folder includes a header of a folder above it: each folder of
# the program may include from itself and from the folders listed after it
# here, which lie below it (the README's layout table draws the same).
#   cmake -DSOURCE=<project root> -P tests/check_layers.cmake
set(layers
    "app: engine database/text database/order database/reading database/selection platform"
    "tools/dbtools: engine database/text database/order database/reading database/selection"
    "database/selection: engine database/text"
    "database/reading: engine database/text database/order platform"
    "database/order: database/text platform"
    "database/text:"
    "engine:"
    "platform:")
set(known)
foreach(layer IN LISTS layers)
    string(REGEX REPLACE ":.*" "" folder "${layer}")
    list(APPEND known ${folder})
endforeach()

set(wrong 0)
foreach(layer IN LISTS layers)
    string(REGEX REPLACE ":.*" "" folder "${layer}")
    string(REGEX REPLACE "^[^:]*: *" "" allowed "${layer}")
    separate_arguments(allowed)
    file(GLOB files "${SOURCE}/${folder}/*.h" "${SOURCE}/${folder}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" includes REGEX "^#include \"[^\"]+/[^\"/]+\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"(.+)/[^/]+\".*" "\\1" target "${line}")
            if(target STREQUAL folder OR NOT target IN_LIST known)
                continue()
            endif()
            if(NOT target IN_LIST allowed)
                file(RELATIVE_PATH shown "${SOURCE}" "${file}")
                message(SEND_ERROR "${shown}: ${folder}/ may not include from ${target}/: ${line}")
                math(EXPR wrong "${wrong} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()
if(wrong GREATER 0)
    message(FATAL_ERROR "${wrong} includes against the layers")
endif()
message(STATUS "Every include goes to its own folder or one below it")
