# Installs the build into a scratch prefix and checks the installed tree: the
# program alone in bin/, the sample under share/famescope, and the desktop
# integration beside it.
set(prefix ${SCRATCH})
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(id example.vantorel.Famescope)
set(expected
    bin/famescope
    bin/famescope-db
    share/famescope/db.txt
    share/applications/${id}.desktop
    share/metainfo/${id}.metainfo.xml
    share/man/man1/famescope.1.gz
    share/man/man1/famescope-db.1.gz
    share/doc/famescope/copyright
    share/doc/famescope/changelog.gz
    share/doc/famescope/README.data.md)
foreach(size 16 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
file(GLOB_RECURSE installed RELATIVE ${prefix} ${prefix}/*)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    message(FATAL_ERROR "installed:\n  ${installed}\nexpected:\n  ${expected}")
endif()
file(REMOVE_RECURSE ${prefix})
