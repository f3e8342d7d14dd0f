# The CMake package configuration over the libraries' export sets
#   find_package(Zantoquiller COMPONENTS Core Preview Widgets zantopack)
#   -> Zantoquiller::Core, Zantoquiller::Preview, Zantoquiller::Widgets,
#      Zantoquiller::zantopack
# Each library installs itself, its headers, its export set and its
# pkg-config file (core/, preview/, widgets/, package/ with
# cmake/ZantoLibrary.cmake); this file adds what they share, in the
# Development component.
include(CMakePackageConfigHelpers)

set(ZANTO_QT_VERSION ${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZantoquillerConfig.cmake.in
    ${PROJECT_BINARY_DIR}/ZantoquillerConfig.cmake
    INSTALL_DESTINATION ${ZANTO_CMAKE_INSTALL_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZantoquillerConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/ZantoquillerConfig.cmake
    ${PROJECT_BINARY_DIR}/ZantoquillerConfigVersion.cmake
    DESTINATION ${ZANTO_CMAKE_INSTALL_DIR} COMPONENT Development)
