# The printer application's raster printing and status: PWG raster lines
# gathered into the language's bit-image bands, and the printer's state as
# IPP printer-state-reasons. A static library the program and its tests link.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PAPPL REQUIRED IMPORTED_TARGET pappl)

add_library(zantoappraster STATIC
    ${CMAKE_CURRENT_LIST_DIR}/rasterbands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rasterbands.h
    ${CMAKE_CURRENT_LIST_DIR}/rasterjob.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rasterjob.h
    ${CMAKE_CURRENT_LIST_DIR}/statusreasons.cpp
    ${CMAKE_CURRENT_LIST_DIR}/statusreasons.h
)
target_include_directories(zantoappraster PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zantoappraster
    PUBLIC ZantoquillerCore Qt6::Core PkgConfig::PAPPL
    PRIVATE Zanto::BuildOptions)
