# Install rules of the libraries, included from package/: Core, Preview,
# Widgets and the package library zantopack with its translations, the
# public headers with their export macros, a CMake package configuration
#   find_package(Zantoquiller COMPONENTS Core Preview Widgets zantopack)
#   -> Zantoquiller::Core, Zantoquiller::Preview, Zantoquiller::Widgets,
#      Zantoquiller::zantopack
# and a pkg-config file per library. Each library goes in its own install
# component (Core, Preview, Widgets, zantopack: the Debian packages of
# cmake/ZantoDebianPackage.cmake); what a program is built with (headers,
# CMake and pkg-config files, the libraries' names without version) goes in
# Development.
include(CMakePackageConfigHelpers)

set(ZANTO_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zantoquiller)
# The folders whose include/ holds public headers, per library; platform/ is
# internal.
set(ZANTO_CORE_HEADER_FOLDERS engine settings)
set(ZANTO_PREVIEW_HEADER_FOLDERS preview)
set(ZANTO_WIDGETS_HEADER_FOLDERS controls dialogs preview/widgets)

# One export set per library, so that a program asking for Core alone needs
# no more of Qt than its Core, and one asking for Preview no widgets.
foreach(library IN ITEMS Core Preview Widgets zantopack)
    if(library STREQUAL "zantopack")
        set(target zantopack)
    else()
        set(target Zantoquiller${library})
    endif()
    install(TARGETS ${target} EXPORT Zantoquiller${library}Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            COMPONENT ${library} NAMELINK_COMPONENT Development)
    install(EXPORT Zantoquiller${library}Targets
        NAMESPACE Zantoquiller::
        DESTINATION ${ZANTO_CMAKE_INSTALL_DIR} COMPONENT Development)
endforeach()
install(FILES ${ZANTOPACK_QM_FILES}
    DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT zantopack)

foreach(folder IN LISTS ZANTO_CORE_HEADER_FOLDERS ZANTO_PREVIEW_HEADER_FOLDERS
        ZANTO_WIDGETS_HEADER_FOLDERS)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/include/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development
        FILES_MATCHING PATTERN "*.h")
endforeach()
install(DIRECTORY ${ZANTO_EXPORT_HEADER_DIR}/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development
    FILES_MATCHING PATTERN "*.h")
install(FILES
    ${PROJECT_SOURCE_DIR}/package/include/zantoquiller/package/packageinfo.h
    ${PROJECT_SOURCE_DIR}/package/include/zantoquiller/package/registration.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zantoquiller/package COMPONENT Development)

set(ZANTO_QT_VERSION ${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZantoquillerConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/ZantoquillerConfig.cmake
    INSTALL_DESTINATION ${ZANTO_CMAKE_INSTALL_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ZantoquillerConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/ZantoquillerConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/ZantoquillerConfigVersion.cmake
    DESTINATION ${ZANTO_CMAKE_INSTALL_DIR} COMPONENT Development)

# pkg-config: zantoquiller-core, zantoquiller-preview, zantoquiller-widgets
# and zantoquiller (the package library), each requiring the one below it.
file(RELATIVE_PATH ZANTO_PC_PREFIX_FROM_PCDIR
    /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" ZANTO_PC_PREFIX_FROM_PCDIR "${ZANTO_PC_PREFIX_FROM_PCDIR}")
function(zanto_pkg_config file name description requires library)
    set(ZANTO_PC_NAME "${name}")
    set(ZANTO_PC_DESCRIPTION "${description}")
    set(ZANTO_PC_REQUIRES "${requires}")
    set(ZANTO_PC_LIBRARY "${library}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/zantoquiller.pc.in
        ${CMAKE_CURRENT_BINARY_DIR}/${file}.pc @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${file}.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)
endfunction()
zanto_pkg_config(zantoquiller-core "Zantoquiller Core"
    "the component, memo printer, output channel, code lists and settings files"
    "Qt6Core" ZantoquillerCore)
zanto_pkg_config(zantoquiller-preview "Zantoquiller Preview"
    "the preview of a job's bytes as text, PDF or PNG sheets"
    "zantoquiller-core Qt6Core Qt6Gui" ZantoquillerPreview)
zanto_pkg_config(zantoquiller-widgets "Zantoquiller Widgets"
    "the memo controls, TDBMemo, the edit dialogs, the preview widget and the application class"
    "zantoquiller-preview Qt6Core Qt6Gui Qt6Widgets Qt6Sql" ZantoquillerWidgets)
zanto_pkg_config(zantoquiller "Zantoquiller" "${ZANTOPACK_DESCRIPTION}"
    "zantoquiller-widgets" zantopack)
