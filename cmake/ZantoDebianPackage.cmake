# The Debian package of the whole installation (the install component
# Zantoquiller: zanto, zantopreview, zantodemo, the libraries with their
# headers, CMake and pkg-config files, the manual pages, shell completion,
# the shipped profiles and the desktop entry):
#   cmake --build build --target package     (make package)
# The shared libraries it needs are found by dpkg-shlibdeps (dpkg-dev); what
# it loads at run time without linking is declared by hand: the Qt platform
# plugins of the two windows and the fixed-pitch fonts of the preview.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zantoquiller)
set(CPACK_PACKAGE_VENDOR "Zantoquiller")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print plain text straight to character printers")
set(CPACK_PACKAGE_DESCRIPTION
    "zanto prints text files on dot-matrix, daisy-wheel, receipt and label printers as the \
bytes and control codes they understand: to a file, a device, a network printer or a CUPS \
queue, with printer profiles for common printers. Also the Zantoquiller libraries for Qt \
programs, and a demonstration program.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Zantoquiller;/")
set(CPACK_PACKAGE_CONTACT "Zantoquiller maintainers <zantoquiller@example.org>")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package's own libraries, for dpkg-shlibdeps to resolve zanto's links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")

include(CPack)
