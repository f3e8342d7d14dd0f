# cmake -D PROGRAM=... -D ARGUMENTS="a|b|c" -D OUTPUT=file [-D EXPECTED=file]
#     -P compareoutput.cmake
# Runs PROGRAM with ARGUMENTS and fails unless it succeeds and writes OUTPUT,
# which must hold exactly the bytes of EXPECTED when that is given.
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${PROGRAM} ${arguments} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ended with ${status}")
endif()
if(NOT EXISTS ${OUTPUT})
    message(FATAL_ERROR "${PROGRAM} wrote no ${OUTPUT}")
endif()
if(NOT DEFINED EXPECTED)
    return()
endif()
file(SHA256 ${OUTPUT} written)
file(SHA256 ${EXPECTED} expected)
if(NOT written STREQUAL expected)
    message(FATAL_ERROR "${OUTPUT} differs from ${EXPECTED}")
endif()
