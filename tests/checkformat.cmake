# cmake -D CLANG_FORMAT=clang-format -D SOURCE_DIR=... -P checkformat.cmake
# Fails when a C++ file of the project is not as clang-format writes it with
# the project's .clang-format; make format rewrites them. Build trees
# (build*/) and hidden folders are not the project's sources.
if(NOT CLANG_FORMAT)
    message(FATAL_ERROR "clang-format is missing (tools/bootstrap installs it)")
endif()
file(GLOB entries RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
set(sources)
foreach(entry IN LISTS entries)
    if(entry MATCHES "^(build|\\.)" OR NOT IS_DIRECTORY ${SOURCE_DIR}/${entry})
        continue()
    endif()
    file(GLOB_RECURSE found ${SOURCE_DIR}/${entry}/*.cpp ${SOURCE_DIR}/${entry}/*.h)
    list(APPEND sources ${found})
endforeach()
list(LENGTH sources count)
if(count EQUAL 0)
    message(FATAL_ERROR "No C++ files found below ${SOURCE_DIR}")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "Files above are not formatted: run make format")
endif()
message(STATUS "${count} C++ files formatted as .clang-format says")
