# Lays out what a Windows user downloads, in STAGE: the two programs
# (stripped), the sample db.txt beside them, the read-me and the licences,
# text files with Windows line ends. Run at build time by the package targets.
#   -DSTAGE= -DPROGRAM= -DTOOL= -DSTRIP= -DSOURCE= -DREADME=
#   -DLICENCES=name=file|name=file...   (each becomes licenses/<name>.txt)
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/licenses")

foreach(exe "${PROGRAM}" "${TOOL}")
    get_filename_component(name "${exe}" NAME)
    execute_process(COMMAND "${STRIP}" -o "${STAGE}/${name}" "${exe}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "cannot strip ${exe}")
    endif()
endforeach()
# db.txt as it is: its bytes are the program's input.
file(COPY "${SOURCE}/data/db.txt" DESTINATION "${STAGE}")

function(text_file from to)
    file(READ "${from}" text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${to}" "${text}")
endfunction()
text_file("${README}" "${STAGE}/README.txt")
string(REPLACE "|" ";" licences "${LICENCES}")
foreach(pair ${licences})
    string(REGEX REPLACE "=.*" "" name "${pair}")
    string(REGEX REPLACE "^[^=]*=" "" from "${pair}")
    text_file("${from}" "${STAGE}/licenses/${name}.txt")
endforeach()
