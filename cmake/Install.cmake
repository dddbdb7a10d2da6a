# Installs Famescope into a standard prefix and packages it as a .deb:
#   bin/famescope, share/famescope/db.txt (the sample), the desktop file,
#   icons, AppStream metadata, the manual page and the licences.
include(GNUInstallDirs)

set(FAMESCOPE_APP_ID example.vantorel.Famescope)
# Named after the package, as Debian wants it.
set(famescope_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/famescope)
install(TARGETS famescope famescope-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
    # Windows looks beside the program only.
    install(FILES ${PROJECT_SOURCE_DIR}/data/db.txt DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
    install(FILES ${PROJECT_SOURCE_DIR}/data/db.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/famescope)
endif()

if(WIN32 AND PROJECT_IS_TOP_LEVEL)
    include(${CMAKE_CURRENT_LIST_DIR}/windows/Package.cmake)
endif()
if(NOT UNIX OR APPLE)
    return()
endif()

install(FILES ${PROJECT_SOURCE_DIR}/assets/${FAMESCOPE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/assets/${FAMESCOPE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/famescope-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${FAMESCOPE_APP_ID}.png)
endforeach()

# The manual page and the changelog, compressed as Debian wants them:
# without a name or a time stamp in the gzip header, so builds are identical.
set(doc_out ${PROJECT_BINARY_DIR}/doc)
foreach(pair "docs/famescope.1:famescope.1" "docs/famescope-db.1:famescope-db.1"
             "docs/changelog:changelog")
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 name)
    add_custom_command(OUTPUT ${doc_out}/${name}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${doc_out}
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${doc_out}/${name}
        COMMAND gzip -9nf ${doc_out}/${name}
        DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
    list(APPEND compressed_docs ${doc_out}/${name}.gz)
endforeach()
add_custom_target(famescope_docs ALL DEPENDS ${compressed_docs})
install(FILES ${doc_out}/famescope.1.gz ${doc_out}/famescope-db.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${doc_out}/changelog.gz DESTINATION ${famescope_docdir})

# The licences in Debian's machine-readable form: the program's MIT licence
# and the sample data's BSD licence, each from its own file.
function(debian_license_text file first_line out)
    file(READ ${file} text)
    string(FIND "${text}" "${first_line}" at)
    string(SUBSTRING "${text}" ${at} -1 text)
    string(STRIP "${text}" text)
    string(REPLACE "\n\n" "\n.\n" text "${text}")
    string(REPLACE "\n" "\n " text "${text}")
    set(${out} " ${text}" PARENT_SCOPE)
endfunction()
debian_license_text(${PROJECT_SOURCE_DIR}/LICENSE "Permission is hereby" MIT_LICENSE)
debian_license_text(${PROJECT_SOURCE_DIR}/data/LICENSE.calendar "Redistribution and use"
                    BSD_LICENSE)
configure_file(${PROJECT_SOURCE_DIR}/assets/copyright.in ${doc_out}/copyright @ONLY)
install(FILES ${doc_out}/copyright DESTINATION ${famescope_docdir})
install(FILES ${PROJECT_SOURCE_DIR}/data/README.md DESTINATION ${famescope_docdir}
        RENAME README.data.md)

if(NOT PROJECT_IS_TOP_LEVEL)
    return()
endif()

# cpack -G DEB in a build folder makes famescope_1.00_amd64.deb.
set(CPACK_PACKAGE_NAME famescope)
set(CPACK_PACKAGE_VENDOR Vantorel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Famescope authors <famescope@vantorel.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.vantorel.example")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "numerology numbers beside those of the famous")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Famescope shows the Life Path and Attitude numbers of a date of birth at
once, as it is picked. It loads a list of celebrities from a plain text
database and shows each one's date of birth, numbers and compatibility
with the user as a percentage. A sample of 470 public figures comes with
the program; a database of the user's own in ~/.local/share/famescope
takes its place.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not found through any library: the layout's fallback font, and the opener
# of the web links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
