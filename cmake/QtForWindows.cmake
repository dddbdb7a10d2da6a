# Cross-building the whole program for Windows on Linux: Qt for Windows is the
# static one that scripts/setup windows builds from Debian's source, at a
# stable link in the user's cache, which the script names. Its host tools
# (moc, rcc, uic) are the system's own Qt of the same version.
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-qt-windows --where
                OUTPUT_VARIABLE famescope_qt_link OUTPUT_STRIP_TRAILING_WHITESPACE)
set(FAMESCOPE_QT_WINDOWS "${famescope_qt_link}"
    CACHE PATH "Qt for Windows (x86_64-w64-mingw32, static), as scripts/setup windows builds it")
if(NOT EXISTS "${FAMESCOPE_QT_WINDOWS}/lib/cmake/Qt6/Qt6Config.cmake"
   OR NOT EXISTS "${FAMESCOPE_QT_WINDOWS}/.complete")
    message(FATAL_ERROR
        "Qt for Windows is not at ${FAMESCOPE_QT_WINDOWS}. Run scripts/setup windows: it builds "
        "Qt for Windows from Debian's source once (the README says how long it takes), then "
        "this build.")
endif()
list(APPEND CMAKE_PREFIX_PATH "${FAMESCOPE_QT_WINDOWS}")
list(APPEND CMAKE_FIND_ROOT_PATH "${FAMESCOPE_QT_WINDOWS}")

file(GLOB famescope_host_info "/usr/lib/*/cmake/Qt6HostInfo/Qt6HostInfoConfig.cmake")
if(NOT famescope_host_info)
    message(FATAL_ERROR "The host's Qt tools are missing: run scripts/setup windows")
endif()
list(GET famescope_host_info 0 famescope_host_info)
get_filename_component(famescope_host_cmake "${famescope_host_info}" DIRECTORY)
get_filename_component(famescope_host_cmake "${famescope_host_cmake}" DIRECTORY)
set(QT_HOST_PATH /usr CACHE PATH "The host's Qt, whose tools build for Windows")
set(QT_HOST_PATH_CMAKE_DIR "${famescope_host_cmake}" CACHE PATH "The host Qt's CMake packages")
