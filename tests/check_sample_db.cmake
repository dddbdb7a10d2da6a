# Rebuilds the sample database from its source table and checks that the
# committed data/db.txt is exactly that.
execute_process(COMMAND ${TOOL} build ${TSV} ${OUT} RESULT_VARIABLE rc ERROR_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "famescope-db build failed: ${rc}")
endif()
file(SHA256 ${OUT} built)
file(SHA256 ${SAMPLE} committed)
if(NOT built STREQUAL committed)
    message(FATAL_ERROR "data/db.txt differs from what famescope-db build makes of ${TSV}")
endif()
