# SPDX-License-Identifier: MIT
# What `cmake --install` puts into place, component by component
# (cmake/InstallLayout.cmake names them and the Debian package of each;
# cmake/Packaging.cmake makes the packages from the same rules):
#   LIBDIR/       libQuelixSdk_205KWMX.so.1.0.0 and its soname link (runtime);
#                 the development link, the CMake package and quelix.pc
#                 (development)
#   LIBDIR/quelix/    the GTK dialog view module (gtk)
#   include/quelix/   the public headers (development)
#   bin/          quelix, quelix-camsim and quelix-usbd; share/man/man1 their
#                 man pages; lib/udev/rules.d/60-quelix.rules and
#                 lib/systemd/system/quelix-usbd.service (tools);
#                 quelix-viewer, its man page, share/applications
#                 quelix-viewer.desktop and its icon in share/icons (viewer)
#   lib/python3/dist-packages/quelix   the Python package (python)
#   share/doc/quelix  README, LICENSE, docs and examples (docs)
# LIBDIR is lib/x86_64-linux-gnu on Debian (InstallLayout.cmake).
include(CMakePackageConfigHelpers)

install(TARGETS QuelixSdk_205KWMX EXPORT QuelixSdkTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${QUELIX_COMPONENT_RUNTIME}
            NAMELINK_COMPONENT ${QUELIX_COMPONENT_DEVELOPMENT})
install(FILES
    ${PROJECT_SOURCE_DIR}/include/QuelixSdk_205KWMX.h
    ${PROJECT_SOURCE_DIR}/include/QuelixPlatform.h
    ${PROJECT_SOURCE_DIR}/include/QuelixTypes.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quelix COMPONENT ${QUELIX_COMPONENT_DEVELOPMENT})
install(EXPORT QuelixSdkTargets NAMESPACE Quelix:: DESTINATION ${QUELIX_INSTALL_CMAKEDIR}
    COMPONENT ${QUELIX_COMPONENT_DEVELOPMENT})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuelixSdkConfig.cmake.in
    ${PROJECT_BINARY_DIR}/QuelixSdkConfig.cmake INSTALL_DESTINATION ${QUELIX_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuelixSdkConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuelixSdkConfig.cmake ${PROJECT_BINARY_DIR}/QuelixSdkConfigVersion.cmake
    DESTINATION ${QUELIX_INSTALL_CMAKEDIR} COMPONENT ${QUELIX_COMPONENT_DEVELOPMENT})

# pkg-config: the prefix is found from where quelix.pc lies, so the file is
# right wherever the tree is installed (a staging prefix, /usr, /opt/quelix).
file(RELATIVE_PATH QUELIX_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/quelix.pc.in ${PROJECT_BINARY_DIR}/quelix.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quelix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT ${QUELIX_COMPONENT_DEVELOPMENT})

# The GTK view of the settings dialogs is no library to link: it lies in a
# private directory, quelix/ beside the library, where the library opens it
# when a dialog is shown on a display.
if(TARGET QuelixSdk_205KWMX_gtk)
    install(TARGETS QuelixSdk_205KWMX_gtk LIBRARY DESTINATION ${QUELIX_INSTALL_MODULEDIR}
        COMPONENT ${QUELIX_COMPONENT_GTK})
endif()

# The tool finds the library in its installed tree wherever the tree was put
# (a staging prefix, /usr, /opt/quelix).
set_target_properties(quelix PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
install(TARGETS quelix quelix-camsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT ${QUELIX_COMPONENT_TOOLS})
set(QUELIX_MAN_PAGES quelix.1 quelix-camsim.1)
# The USB driver, built where libusb is: its udev rule gives the camera's USB
# device to the seat's user and the group quelix, and its systemd unit runs
# it as the system's driver (nodes in /run/quelix).
if(TARGET quelix-usbd)
    install(TARGETS quelix-usbd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${QUELIX_COMPONENT_TOOLS})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/udev/60-quelix.rules DESTINATION lib/udev/rules.d
        COMPONENT ${QUELIX_COMPONENT_TOOLS})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/systemd/quelix-usbd.service DESTINATION lib/systemd/system
        COMPONENT ${QUELIX_COMPONENT_TOOLS})
    list(APPEND QUELIX_MAN_PAGES quelix-usbd.1)
endif()
foreach(page IN LISTS QUELIX_MAN_PAGES)
    quelix_gzip(${PROJECT_SOURCE_DIR}/docs/man/${page} ${PROJECT_BINARY_DIR}/man/${page}.gz)
    install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ${QUELIX_COMPONENT_TOOLS})
endforeach()

# The viewer, when GTK 3 was found for it.
if(TARGET quelix-viewer)
    set_target_properties(quelix-viewer PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    install(TARGETS quelix-viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${QUELIX_COMPONENT_VIEWER})
    install(FILES ${PROJECT_SOURCE_DIR}/viewer/quelix-viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT ${QUELIX_COMPONENT_VIEWER})
    install(FILES ${PROJECT_SOURCE_DIR}/viewer/quelix-viewer.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT ${QUELIX_COMPONENT_VIEWER})
    quelix_gzip(${PROJECT_SOURCE_DIR}/docs/man/quelix-viewer.1 ${PROJECT_BINARY_DIR}/man/quelix-viewer.1.gz)
    install(FILES ${PROJECT_BINARY_DIR}/man/quelix-viewer.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ${QUELIX_COMPONENT_VIEWER})
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/quelix DESTINATION ${QUELIX_INSTALL_PYTHONDIR}
    COMPONENT ${QUELIX_COMPONENT_PYTHON} PATTERN __pycache__ EXCLUDE)

# The documentation; the man pages' sources in docs/man are installed as man
# pages above. The Debian packages carry the licence in their copyright
# files, so LICENSE goes only into a plain install.
quelix_install_docs(FILES ${PROJECT_SOURCE_DIR}/README.md)
quelix_install_docs(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ EXCLUDE man)
quelix_install_docs(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ SUBDIR examples)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${QUELIX_INSTALL_DOCDIR} COMPONENT ${QUELIX_COMPONENT_DOCS})
