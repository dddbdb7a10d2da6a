# What a Windows user downloads, made from one staged folder:
#   famescope-<version>-windows-x64.zip     unpack anywhere and run
#   famescope-<version>-setup.exe           a per-user installer (NSIS)
# cmake --build --preset windows --target famescope_zip famescope_installer
# The licences of the statically linked Qt come with the Qt that
# scripts/setup windows builds (its licenses/ folder); another Qt names its
# own with FAMESCOPE_QT_LICENSES.
if(FAMESCOPE_QT_WINDOWS)
    set(qt_licences_default "${FAMESCOPE_QT_WINDOWS}/licenses")
endif()
set(FAMESCOPE_QT_LICENSES "${qt_licences_default}" CACHE PATH
    "Folder with Qt's LGPL-3.0-only.txt, GPL-3.0-only.txt and QT-THIRD-PARTY-NOTICES.txt")
if(NOT EXISTS "${FAMESCOPE_QT_LICENSES}/QT-THIRD-PARTY-NOTICES.txt")
    message(STATUS "Qt's licences not found: no Windows zip or installer targets")
    return()
endif()

set(package_dir ${PROJECT_BINARY_DIR}/package)
set(package_name famescope-${PROJECT_VERSION}-windows-x64)
set(stage ${package_dir}/${package_name})
set(zip ${package_dir}/${package_name}.zip)
set(installer ${package_dir}/famescope-${PROJECT_VERSION}-setup.exe)

# The licences, each as licenses/<name>.txt, named here only: the read-me
# gets the names from here, and the installer's check from the package.
set(FAMESCOPE_LICENCE_OWN LICENSE-Famescope)
set(FAMESCOPE_LICENCE_SAMPLE LICENSE-sample-data)
set(FAMESCOPE_LICENCE_QT LICENSE-Qt-LGPL-3.0)
set(FAMESCOPE_LICENCE_QT_GPL LICENSE-Qt-GPL-3.0)
set(FAMESCOPE_LICENCE_QT_THIRD_PARTY Qt-third-party-notices)
set(licences
    ${FAMESCOPE_LICENCE_OWN}=${PROJECT_SOURCE_DIR}/LICENSE
    ${FAMESCOPE_LICENCE_SAMPLE}=${PROJECT_SOURCE_DIR}/data/LICENSE.calendar
    ${FAMESCOPE_LICENCE_QT}=${FAMESCOPE_QT_LICENSES}/LGPL-3.0-only.txt
    ${FAMESCOPE_LICENCE_QT_GPL}=${FAMESCOPE_QT_LICENSES}/GPL-3.0-only.txt
    ${FAMESCOPE_LICENCE_QT_THIRD_PARTY}=${FAMESCOPE_QT_LICENSES}/QT-THIRD-PARTY-NOTICES.txt)
configure_file(${PROJECT_SOURCE_DIR}/assets/README-windows.txt.in
               ${package_dir}/README-windows.txt @ONLY)
string(REPLACE ";" "|" licences_arg "${licences}")
set(stage_stamp ${package_dir}/stage.stamp)
add_custom_command(OUTPUT ${stage_stamp}
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DPROGRAM=$<TARGET_FILE:famescope>
            -DTOOL=$<TARGET_FILE:famescope-db> -DSTRIP=${CMAKE_STRIP}
            -DSOURCE=${PROJECT_SOURCE_DIR} -DREADME=${package_dir}/README-windows.txt
            -DLICENCES=${licences_arg}
            -P ${CMAKE_CURRENT_LIST_DIR}/stage.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stage_stamp}
    DEPENDS famescope famescope-db ${CMAKE_CURRENT_LIST_DIR}/stage.cmake
            ${PROJECT_SOURCE_DIR}/data/db.txt ${package_dir}/README-windows.txt
    COMMENT "Staging the Windows package" VERBATIM)

add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${package_name}
    WORKING_DIRECTORY ${package_dir}
    DEPENDS ${stage_stamp} COMMENT "Zipping ${package_name}.zip" VERBATIM)
add_custom_target(famescope_zip DEPENDS ${zip})

find_program(FAMESCOPE_MAKENSIS makensis)
if(NOT FAMESCOPE_MAKENSIS)
    message(STATUS "makensis not found: no Windows installer target")
    return()
endif()
# The installer replaces or removes db.txt only while it is this file.
file(SHA256 ${PROJECT_SOURCE_DIR}/data/db.txt sample_sha256)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/db.txt)
set(uninstall_licences "")
foreach(pair ${licences})
    string(REGEX REPLACE "=.*" "" name "${pair}")
    string(APPEND uninstall_licences "    Delete \"$INSTDIR\\licenses\\${name}.txt\"\n")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/famescope.nsi.in ${package_dir}/famescope.nsi @ONLY)
add_custom_command(OUTPUT ${installer}
    COMMAND ${FAMESCOPE_MAKENSIS} -V2 -WX ${package_dir}/famescope.nsi
    DEPENDS ${stage_stamp} ${package_dir}/famescope.nsi
    COMMENT "Making famescope-${PROJECT_VERSION}-setup.exe" VERBATIM)
add_custom_target(famescope_installer DEPENDS ${installer})
