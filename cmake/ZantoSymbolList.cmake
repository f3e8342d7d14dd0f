# The exported symbols of each installed library are committed beside its
# CMakeLists.txt, in symbols.txt (core/, preview/, widgets/, package/). A test
# compares the built library with its list; a change to the interface is a
# deliberate step:
#   cmake --build <build> --target update_symbol_lists
# rewrites the lists from the built libraries.
set(ZANTO_SYMBOL_LIST_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/symbol-list)
find_program(ZANTO_NM NAMES nm REQUIRED)

# zanto_symbol_list_check(TARGET ...)
function(zanto_symbol_list_check)
    set(updates "")
    foreach(target IN LISTS ARGN)
        get_target_property(folder ${target} SOURCE_DIR)
        set(list ${folder}/symbols.txt)
        set(arguments ${ZANTO_NM} $<TARGET_FILE:${target}> ${list})
        if(ZANTO_BUILD_TESTS)
            add_test(NAME symbols_${target}
                COMMAND bash ${ZANTO_SYMBOL_LIST_SCRIPT} check ${arguments})
            set_tests_properties(symbols_${target} PROPERTIES LABELS symbols)
        endif()
        list(APPEND updates
            COMMAND bash ${ZANTO_SYMBOL_LIST_SCRIPT} update ${arguments})
    endforeach()
    if(TARGET update_symbol_lists)
        message(FATAL_ERROR "zanto_symbol_list_check is called once, with every library")
    endif()
    add_custom_target(update_symbol_lists ${updates} DEPENDS ${ARGN} VERBATIM)
endfunction()
