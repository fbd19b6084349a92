# What `cmake --install` puts into place, and the Debian package made from
# the same rules (`cpack -G DEB`):
#   lib/          libQuelixSdk_205KWMX.so.1.0.0 with its soname link and the
#                 development link, the CMake package and quelix.pc
#   include/quelix/   the public headers
#   bin/          quelix and quelix-camsim
#   lib/python3/dist-packages/quelix   the Python package
#   share/doc/quelix  README, docs and examples
include(CMakePackageConfigHelpers)

set(QUELIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuelixSdk)
set(QUELIX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quelix)

install(TARGETS QuelixSdk_205KWMX EXPORT QuelixSdkTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES
    ${PROJECT_SOURCE_DIR}/include/QuelixSdk_205KWMX.h
    ${PROJECT_SOURCE_DIR}/include/QuelixPlatform.h
    ${PROJECT_SOURCE_DIR}/include/QuelixTypes.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quelix)
install(EXPORT QuelixSdkTargets NAMESPACE Quelix:: DESTINATION ${QUELIX_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuelixSdkConfig.cmake.in
    ${PROJECT_BINARY_DIR}/QuelixSdkConfig.cmake INSTALL_DESTINATION ${QUELIX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuelixSdkConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuelixSdkConfig.cmake ${PROJECT_BINARY_DIR}/QuelixSdkConfigVersion.cmake
    DESTINATION ${QUELIX_CMAKE_DIR})

# pkg-config: the prefix is found from where quelix.pc lies, so the file is
# right wherever the tree is installed (a staging prefix, /usr, /opt/quelix).
file(RELATIVE_PATH QUELIX_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/quelix.pc.in ${PROJECT_BINARY_DIR}/quelix.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quelix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The tool finds the library in its installed tree wherever the tree was put
# (a staging prefix, /usr, /opt/quelix).
set_target_properties(quelix PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
# The GTK view of the settings dialogs sits beside the library, where the
# library looks for it when a dialog is shown on a display.
if(TARGET QuelixSdk_205KWMX_gtk)
    install(TARGETS QuelixSdk_205KWMX_gtk LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
install(TARGETS quelix quelix-camsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/quelix DESTINATION lib/python3/dist-packages
    PATTERN __pycache__ EXCLUDE)

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${QUELIX_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${QUELIX_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${QUELIX_DOC_DIR}/examples)

# The Debian package: the library's run-time dependencies come from
# dpkg-shlibdeps; the Python package wants python3 and numpy.
set(CPACK_PACKAGE_NAME quelix)
set(CPACK_PACKAGE_VENDOR "Korvex")
set(CPACK_PACKAGE_CONTACT "Quelix SDK maintainers <quelix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quelix 205KWMX near-infrared camera SDK")
set(CPACK_PACKAGE_DESCRIPTION
    "The camera library (147 Quelix_* C functions), its headers, CMake package and pkg-config file, the quelix tool, the simulated camera quelix-camsim and the quelix Python package.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, python3-numpy")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_GENERATOR DEB)
include(CPack)
