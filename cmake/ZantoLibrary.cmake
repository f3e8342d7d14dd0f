# The boilerplate of an installed shared library. Each library's own
# CMakeLists.txt (core/, preview/, widgets/, package/) defines it with these,
# lists its public headers and installs it:
#
#   zanto_add_library(ZantoquillerCore EXPORT_NAME Core
#       MACRO ZANTOQUILLER_CORE_EXPORT HEADER zantoquiller/core_export.h)
#   add_subdirectory(engine)          # add_library(engine OBJECT ...)
#                                     # zanto_library_unit(engine ZantoquillerCore)
#   target_sources(ZantoquillerCore PUBLIC FILE_SET HEADERS BASE_DIRS ... FILES ...)
#   zanto_assemble_library(ZantoquillerCore PUBLIC ... PRIVATE ...)
#   zanto_install_library(ZantoquillerCore COMPONENT Core PKG_CONFIG ...)
#
# A library's sources are compiled once, in OBJECT libraries (its units).
# The shared library is made of those objects, and so is
# <library>Testing, a static archive for the tests that reach internals: a
# test links one or the other, so that a process holds one copy of each
# library.
include(GenerateExportHeader)

set(ZANTO_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zantoquiller)

# zanto_add_library(TARGET EXPORT_NAME name MACRO macro HEADER path)
# The shared library TARGET (alias Zantoquiller::<name>) and its export
# header, generated as <build>/exports/<path> and part of its public headers.
function(zanto_add_library target)
    cmake_parse_arguments(ARG "" "EXPORT_NAME;MACRO;HEADER" "" ${ARGN})
    add_library(${target} SHARED)
    add_library(Zantoquiller::${ARG_EXPORT_NAME} ALIAS ${target})
    set_target_properties(${target} PROPERTIES
        EXPORT_NAME ${ARG_EXPORT_NAME}
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        INSTALL_RPATH "$ORIGIN"
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    set(exports ${CMAKE_CURRENT_BINARY_DIR}/exports)
    generate_export_header(${target}
        EXPORT_MACRO_NAME ${ARG_MACRO}
        EXPORT_FILE_NAME ${exports}/${ARG_HEADER})
    set_property(TARGET ${target} PROPERTY ZANTO_EXPORT_DIR ${exports})
    target_sources(${target} PUBLIC
        FILE_SET HEADERS BASE_DIRS ${exports} FILES ${exports}/${ARG_HEADER})
    target_link_libraries(${target} PRIVATE Zanto::BuildOptions)
    # Complete: nothing left for the program that loads it to resolve. Not
    # in the fuzz build: clang links the sanitizers' and libFuzzer's
    # run-time into the program alone, and the library finds them there.
    if(NOT ZANTO_FUZZ)
        target_link_options(${target} PRIVATE LINKER:--no-undefined)
    endif()
endfunction()

# zanto_library_unit(UNIT LIBRARY): the OBJECT library UNIT is compiled for
# LIBRARY. Its symbols are hidden unless its headers mark them for export,
# so that the library's interface is exactly its public API.
function(zanto_library_unit unit library)
    set_target_properties(${unit} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    get_target_property(exports ${library} ZANTO_EXPORT_DIR)
    target_include_directories(${unit} PUBLIC $<BUILD_INTERFACE:${exports}>)
    target_compile_definitions(${unit} PRIVATE ${library}_EXPORTS)
    target_link_libraries(${unit} PRIVATE Zanto::BuildOptions)
    set_property(TARGET ${library} APPEND PROPERTY ZANTO_UNITS ${unit})
endfunction()

# zanto_assemble_library(LIBRARY PUBLIC ... PRIVATE ...)
# LIBRARY and LIBRARYTesting from the units' objects. The archive carries
# the units' include folders (internal headers too) and links the other
# libraries' archives where LIBRARY links the shared ones.
function(zanto_assemble_library library)
    cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE" ${ARGN})
    get_target_property(units ${library} ZANTO_UNITS)
    set(testing ${library}Testing)
    # Built only for what links it (tests, benchmarks).
    add_library(${testing} STATIC EXCLUDE_FROM_ALL)
    foreach(unit IN LISTS units)
        target_sources(${library} PRIVATE $<TARGET_OBJECTS:${unit}>)
        target_sources(${testing} PRIVATE $<TARGET_OBJECTS:${unit}>)
        target_include_directories(${testing} PUBLIC
            $<TARGET_PROPERTY:${unit},INTERFACE_INCLUDE_DIRECTORIES>)
    endforeach()
    target_link_libraries(${library} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
    set(testingLinks "")
    foreach(item IN LISTS ARG_PUBLIC ARG_PRIVATE)
        if(TARGET ${item}Testing)
            list(APPEND testingLinks ${item}Testing)
        else()
            list(APPEND testingLinks ${item})
        endif()
    endforeach()
    target_link_libraries(${testing} PUBLIC ${testingLinks})
endfunction()

# zanto_install_library(TARGET COMPONENT component
#     PKG_CONFIG file NAME name DESCRIPTION text REQUIRES "modules")
# Installs TARGET into COMPONENT (its Debian package), its public headers
# into include/<TARGET>/, its CMake export set
# (Zantoquiller<EXPORT_NAME>Targets.cmake, read by ZantoquillerConfig.cmake)
# and a pkg-config file. What a program is built with goes in Development.
function(zanto_install_library target)
    cmake_parse_arguments(ARG "" "COMPONENT;PKG_CONFIG;NAME;DESCRIPTION;REQUIRES" "" ${ARGN})
    get_target_property(exportName ${target} EXPORT_NAME)
    set(includes ${CMAKE_INSTALL_INCLUDEDIR}/${target})
    install(TARGETS ${target} EXPORT Zantoquiller${exportName}Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            COMPONENT ${ARG_COMPONENT} NAMELINK_COMPONENT Development
        FILE_SET HEADERS DESTINATION ${includes} COMPONENT Development
        INCLUDES DESTINATION ${includes})
    install(EXPORT Zantoquiller${exportName}Targets
        NAMESPACE Zantoquiller::
        DESTINATION ${ZANTO_CMAKE_INSTALL_DIR} COMPONENT Development)

    # Relocatable: the prefix is found from the .pc file's own folder.
    file(RELATIVE_PATH ZANTO_PC_PREFIX_FROM_PCDIR
        /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
    string(REGEX REPLACE "/$" "" ZANTO_PC_PREFIX_FROM_PCDIR "${ZANTO_PC_PREFIX_FROM_PCDIR}")
    set(ZANTO_PC_NAME "${ARG_NAME}")
    set(ZANTO_PC_DESCRIPTION "${ARG_DESCRIPTION}")
    set(ZANTO_PC_REQUIRES "${ARG_REQUIRES}")
    set(ZANTO_PC_INCLUDE_FOLDER "${target}")
    get_target_property(ZANTO_PC_LIBRARY ${target} OUTPUT_NAME)
    if(NOT ZANTO_PC_LIBRARY)
        set(ZANTO_PC_LIBRARY ${target})
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/cmake/zantoquiller.pc.in
        ${CMAKE_CURRENT_BINARY_DIR}/${ARG_PKG_CONFIG}.pc @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${ARG_PKG_CONFIG}.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)
endfunction()
