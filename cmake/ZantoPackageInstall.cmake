# Install rules of the component package, included from package/: the
# library and its translations, the public headers, a CMake package
# configuration (find_package(Zantoquiller) -> Zantoquiller::zantopack) and a
# pkg-config file. Everything goes in the install component "Zantoquiller".
include(CMakePackageConfigHelpers)

set(ZANTO_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zantoquiller)
# The folders whose include/ holds public headers; platform/ is internal.
set(ZANTO_PUBLIC_HEADER_FOLDERS engine settings controls dialogs)

install(TARGETS zantopack EXPORT ZantoquillerTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Zantoquiller)
install(FILES ${ZANTOPACK_QM_FILES}
    DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Zantoquiller)

foreach(folder IN LISTS ZANTO_PUBLIC_HEADER_FOLDERS)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/include/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Zantoquiller
        FILES_MATCHING PATTERN "*.h")
endforeach()
install(FILES
    ${PROJECT_SOURCE_DIR}/package/include/zantoquiller/package/packageinfo.h
    ${PROJECT_SOURCE_DIR}/package/include/zantoquiller/package/registration.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zantoquiller/package COMPONENT Zantoquiller)

install(EXPORT ZantoquillerTargets
    NAMESPACE Zantoquiller::
    DESTINATION ${ZANTO_CMAKE_INSTALL_DIR} COMPONENT Zantoquiller)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZantoquillerConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/ZantoquillerConfig.cmake
    INSTALL_DESTINATION ${ZANTO_CMAKE_INSTALL_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ZantoquillerConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/ZantoquillerConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/ZantoquillerConfigVersion.cmake
    DESTINATION ${ZANTO_CMAKE_INSTALL_DIR} COMPONENT Zantoquiller)

file(RELATIVE_PATH ZANTO_PC_PREFIX_FROM_PCDIR
    /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" ZANTO_PC_PREFIX_FROM_PCDIR "${ZANTO_PC_PREFIX_FROM_PCDIR}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/zantoquiller.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/zantoquiller.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zantoquiller.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Zantoquiller)
