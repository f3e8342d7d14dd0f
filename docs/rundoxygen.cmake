# cmake -D DOXYGEN=doxygen -D PYTHON=python3 -D DOXYFILE=BUILD/docs/Doxyfile
#     -P docs/rundoxygen.cmake
# Makes the reference manual and fails on any Doxygen warning (an undocumented
# public declaration among them) and on an undocumented enumeration value,
# which this Doxygen does not warn about (docs/enumvalues.py).
if(NOT DOXYGEN OR NOT PYTHON)
    message(FATAL_ERROR "The reference manual needs doxygen and python3 (tools/bootstrap installs them)")
endif()
get_filename_component(folder ${DOXYFILE} DIRECTORY)
# Doxygen adds to what it finds: pages of a header that has gone would stay.
file(REMOVE_RECURSE ${folder}/html ${folder}/xml)
execute_process(COMMAND ${DOXYGEN} ${DOXYFILE} WORKING_DIRECTORY ${folder} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "Doxygen warned (above): the manual is not complete")
endif()
# An input list that lost its headers (moved folders) would pass the checks
# with an empty manual.
if(NOT EXISTS ${folder}/html/classZanto_1_1TZantoquiller.html)
    message(FATAL_ERROR "The manual has no page of TZantoquiller: are the headers in its input?")
endif()
execute_process(COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/enumvalues.py ${folder}/xml
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "Enumeration values are not documented (above)")
endif()
