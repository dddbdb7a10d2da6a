# Each program is one file: it imports only DLLs that every 64-bit Windows 10
# and 11 has (no MinGW runtime, no Qt DLL beside it), and it runs in the
# subsystem named for it.
#   -DOBJDUMP=<objdump> -DPROGRAMS=<file>=<subsystem>|...
cmake_policy(SET CMP0057 NEW)
set(system_dlls
    advapi32 authz bcrypt comdlg32 crypt32 d3d11 d3d9 dwmapi dwrite dxgi gdi32 imm32 kernel32
    mpr msvcrt netapi32 ole32 oleaut32 setupapi shcore shell32 shlwapi user32 userenv uxtheme
    version winmm ws2_32 wtsapi32
    # API sets, resolved by the loader itself since Windows 8.
    api-ms-win-core-synch-l1-2-0 api-ms-win-core-winrt-l1-1-0
    api-ms-win-core-winrt-string-l1-1-0)

string(REPLACE "|" ";" programs "${PROGRAMS}")
foreach(pair ${programs})
    string(REGEX REPLACE "=.*" "" file "${pair}")
    string(REGEX REPLACE "^[^=]*=" "" subsystem "${pair}")
    execute_process(COMMAND "${OBJDUMP}" -p "${file}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${OBJDUMP} cannot read ${file}")
    endif()
    if(NOT dump MATCHES "Subsystem[ \t]+[0-9a-f]+[ \t]+\\(${subsystem}\\)")
        message(FATAL_ERROR "${file} is not a ${subsystem} program")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
    if(NOT imports)
        message(FATAL_ERROR "no imports found in ${file}")
    endif()
    set(names "")
    foreach(line ${imports})
        string(REGEX REPLACE "DLL Name: ([^ \t\r]+)[ \t\r]*" "\\1" dll "${line}")
        string(TOLOWER "${dll}" dll)
        string(REGEX REPLACE "\\.dll$" "" dll "${dll}")
        list(APPEND names ${dll})
        if(NOT dll IN_LIST system_dlls)
            message(FATAL_ERROR "${file} imports ${dll}.dll, which Windows does not have")
        endif()
    endforeach()
    list(REMOVE_DUPLICATES names)
    list(JOIN names ", " names)
    message(STATUS "${file}: ${subsystem}; imports ${names}")
endforeach()
