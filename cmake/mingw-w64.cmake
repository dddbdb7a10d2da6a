# Cross-compiles for 64-bit Windows with MinGW-w64 and runs what it builds
# under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)
# Without the MinGW runtime DLLs beside them, Wine ends a test with code 53
# and, its messages off, no word: the programs carry their runtime.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Wine, with its prefix in the build folder (nothing written to the user's
# home), its "fixme" chatter off (load errors still show), and the locale
# pinned: Wine takes the ANSI code page and the user's locale from LC_ALL, so
# the tests mean the same everywhere (en-US, code page 1252).
find_program(FAMESCOPE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(FAMESCOPE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=fixme-all LC_ALL=en_US.UTF-8
        ${FAMESCOPE_WINE})
endif()
