# The Debian packages of the installation, one per install component:
#   cmake --build build-release --target package     (make package)
# gives, for the release build of make package, below /usr:
#   libzantoquillercore1     Core: libZantoquillerCore.so.1 (Qt Core, CUPS)
#   libzantoquillerpreview1  Preview: libZantoquillerPreview.so.1 (Qt Gui)
#   libzantoquillerwidgets1  Widgets: libZantoquillerWidgets.so.1
#   libzantopack1            zantopack: libzantopack.so.1 and its translations
#   libzantoquiller-dev      Development: headers, CMake and pkg-config files,
#                            the libraries' unversioned names
#   zanto                    Tool: zanto, its manual pages, shell completion
#                            and the shipped profiles; no widgets
#   zantopreview             PreviewWindow: the window of zanto preview --show
#   zantoquiller-demo        Demo: zantodemo with its desktop entry
#   zanto-printer-app        PrinterApp: the printer application with its
#                            systemd unit (cmake/ZantoPrinterAppInstall.cmake)
# and a -dbgsym package (.ddeb) of each with the debug information split
# off its programs and libraries (cmake/ZantoDebianFinish.cmake completes
# what CPack leaves out). A library package is named after the
# library's so-name, as Debian's policy asks, so that an incompatible
# version can be installed beside it. Each package has the copyright file
# and changelog in /usr/share/doc/PACKAGE.
#
# The shared libraries a package links are found by dpkg-shlibdeps
# (dpkg-dev); the packages of the project's own libraries come from the
# components' dependencies; what is loaded at run time without linking is
# declared by hand: the Qt platform plugins of zanto (offscreen, for PNG and
# PDF pages) and of the windows, and the fixed-pitch fonts of the preview.
set(ZANTO_DEBIAN_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/debian)
set(ZANTO_DEBIAN_BINARY_DIR ${PROJECT_BINARY_DIR}/debian)

# The changelog's latest entry is the version being built.
file(STRINGS ${ZANTO_DEBIAN_SOURCE_DIR}/changelog changelogHead LIMIT_COUNT 1)
if(NOT changelogHead MATCHES "^zantoquiller \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "cmake/debian/changelog has no entry for version ${PROJECT_VERSION} "
                        "at its top: ${changelogHead}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${ZANTO_DEBIAN_SOURCE_DIR}/changelog ${ZANTO_DEBIAN_SOURCE_DIR}/copyright)
file(MAKE_DIRECTORY ${ZANTO_DEBIAN_BINARY_DIR})
execute_process(COMMAND ${ZANTO_GZIP} -9n -c
    INPUT_FILE ${ZANTO_DEBIAN_SOURCE_DIR}/changelog
    OUTPUT_FILE ${ZANTO_DEBIAN_BINARY_DIR}/changelog.gz
    COMMAND_ERROR_IS_FATAL ANY)

# zanto_debian_package(COMPONENT NAME SECTION section
#     SUMMARY "one line" DESCRIPTION "lines of at most 79 characters"
#     [COMPONENTS ...] [DEPENDS "debian, packages"] [RECOMMENDS ...]
#     [SUGGESTS ...])
# COMPONENTS are the components whose packages this one depends on, at
# the same version.
set(ZANTO_DEBIAN_COMPONENTS)
function(zanto_debian_package component name)
    cmake_parse_arguments(ARG "" "SECTION;SUMMARY;DESCRIPTION;DEPENDS;RECOMMENDS;SUGGESTS"
        "COMPONENTS" ${ARGN})
    string(TOUPPER ${component} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${name} PARENT_SCOPE)
    set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${ARG_SECTION} PARENT_SCOPE)
    set(CPACK_COMPONENT_${upper}_DESCRIPTION "${ARG_SUMMARY}\n${ARG_DESCRIPTION}" PARENT_SCOPE)
    set(CPACK_COMPONENT_${upper}_DEPENDS ${ARG_COMPONENTS} PARENT_SCOPE)
    foreach(field IN ITEMS DEPENDS RECOMMENDS SUGGESTS)
        if(ARG_${field})
            set(CPACK_DEBIAN_${upper}_PACKAGE_${field} "${ARG_${field}}" PARENT_SCOPE)
        endif()
    endforeach()
    install(FILES ${ZANTO_DEBIAN_SOURCE_DIR}/copyright ${ZANTO_DEBIAN_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${name} COMPONENT ${component})
    set(ZANTO_DEBIAN_COMPONENTS ${ZANTO_DEBIAN_COMPONENTS} ${component} PARENT_SCOPE)
endfunction()

set(libraryNote "Zantoquiller prints plain text straight to character printers (dot-matrix,
daisy-wheel, receipt and label printers) as the bytes and control codes
they understand.")

zanto_debian_package(Core libzantoquillercore1 SECTION libs
    SUMMARY "print plain text straight to character printers - Core library"
    DESCRIPTION "${libraryNote}
This package holds the Core library: the component TZantoquiller, the memo
printer, the output channel to files, devices, network printers and CUPS
queues, code pages, printer code lists and settings files. It needs Qt Core
and libcups only.")
zanto_debian_package(Preview libzantoquillerpreview1 SECTION libs
    SUMMARY "print plain text straight to character printers - Preview library"
    DESCRIPTION "${libraryNote}
This package holds the Preview library, which lays out a job's bytes as the
printer would print them: as text, PDF or PNG sheets."
    COMPONENTS Core
    DEPENDS "fonts-liberation")
zanto_debian_package(Widgets libzantoquillerwidgets1 SECTION libs
    SUMMARY "print plain text straight to character printers - Widgets library"
    DESCRIPTION "${libraryNote}
This package holds the Widgets library: the memo controls, the data-aware
memo, the edit dialogs of printer codes and translation tables, the preview
widget and the application class."
    COMPONENTS Core Preview)
zanto_debian_package(zantopack libzantopack1 SECTION libs
    SUMMARY "print plain text straight to character printers - component package"
    DESCRIPTION "${libraryNote}
This package holds the component package zantopack, which a form designer
loads at run time to put TZantoquiller on its palette, with its German
translation."
    COMPONENTS Core Widgets)
zanto_debian_package(Development libzantoquiller-dev SECTION libdevel
    SUMMARY "print plain text straight to character printers - development files"
    DESCRIPTION "${libraryNote}
This package holds what programs are built with: the headers, the CMake
package (find_package(Zantoquiller)) and the pkg-config files of the Core,
Preview and Widgets libraries and of the component package."
    COMPONENTS Core Preview Widgets zantopack
    DEPENDS "qt6-base-dev")
zanto_debian_package(Tool zanto SECTION utils
    SUMMARY "print plain text straight to character printers"
    DESCRIPTION "zanto prints text files on dot-matrix, daisy-wheel, receipt and label
printers as the bytes and control codes they understand: to a file, a
device, a network printer or a CUPS queue, with profiles for common
printers. It also shows a job as the printer would print it, as text, PDF
or PNG pages, and lists printers, queues and jobs."
    COMPONENTS Core Preview
    DEPENDS "qt6-qpa-plugins"
    RECOMMENDS "cups-client"
    SUGGESTS "zantopreview")
zanto_debian_package(PreviewWindow zantopreview SECTION utils
    SUMMARY "window of zanto's print preview"
    DESCRIPTION "zantopreview shows a job's pages in a window as the printer would print
them; zanto preview --show opens it. It is packaged apart from zanto so
that zanto needs no widgets."
    COMPONENTS Core Preview Widgets
    DEPENDS "qt6-qpa-plugins")
zanto_debian_package(Demo zantoquiller-demo SECTION misc
    SUMMARY "demonstration program of the Zantoquiller libraries"
    DESCRIPTION "${libraryNote}
zantodemo shows every feature of the component on one window: printing
memos and invoices, printer codes and translation tables, and the preview."
    COMPONENTS Core Preview Widgets
    DEPENDS "qt6-qpa-plugins")

# The printer application, once printerapp/ (added before this file is
# included) builds it.
if(TARGET zanto-printer-app)
    include(ZantoPrinterAppInstall)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${ZANTO_DEBIAN_COMPONENTS})
set(CPACK_PACKAGE_NAME zantoquiller)
set(CPACK_PACKAGE_VENDOR "Zantoquiller")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Zantoquiller maintainers <zantoquiller@example.org>")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE zantoquiller)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The library packages tell dpkg-shlibdeps of other packages which package
# and version a program linked against them needs.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The project's own libraries, for dpkg-shlibdeps to follow zanto's links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")
# What CPack leaves short of Debian's policy is finished afterwards: ldconfig
# by a trigger, the debug symbols packages' md5sums and documents.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/ZantoDebianFinish.cmake)

include(CPack)
