# SPDX-License-Identifier: MIT
# The Debian packages (`cpack -G DEB`), one per install component
# (cmake/InstallLayout.cmake): each carries its copyright file and changelog
# in /usr/share/doc/PACKAGE; packaging/debian/ holds their sources.
set(QUELIX_DEBIAN_SOURCE_DIR ${PROJECT_SOURCE_DIR}/packaging/debian)

# The Debian version is the newest changelog entry's: its upstream part must
# be the project's version, so a new version needs a new entry.
file(STRINGS ${QUELIX_DEBIAN_SOURCE_DIR}/changelog QUELIX_DEBIAN_CHANGELOG_TOP LIMIT_COUNT 1)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${QUELIX_DEBIAN_SOURCE_DIR}/changelog)
if(NOT QUELIX_DEBIAN_CHANGELOG_TOP MATCHES "^quelix \\(([^)-]+)-([^)-]+)\\) ")
    message(FATAL_ERROR "packaging/debian/changelog: the first line is no entry of quelix (VERSION-REVISION)")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/debian/changelog: the newest entry is ${CMAKE_MATCH_1}, the project "
                        "${PROJECT_VERSION}; add an entry for ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
set(QUELIX_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})

set(QUELIX_DEBIAN_COMPONENTS RUNTIME DEVELOPMENT TOOLS PYTHON)
if(TARGET QuelixSdk_205KWMX_gtk)
    list(APPEND QUELIX_DEBIAN_COMPONENTS GTK)
endif()
if(TARGET gstquelix)
    list(APPEND QUELIX_DEBIAN_COMPONENTS GSTREAMER)
endif()
if(TARGET quelix-viewer)
    list(APPEND QUELIX_DEBIAN_COMPONENTS VIEWER)
endif()

# Every package's copyright file, changelog and lintian overrides. They
# belong to the Debian packages alone, not to a plain install
# (EXCLUDE_FROM_ALL).
quelix_gzip(${QUELIX_DEBIAN_SOURCE_DIR}/changelog ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
set(CPACK_COMPONENTS_ALL)
foreach(component IN LISTS QUELIX_DEBIAN_COMPONENTS)
    set(name ${QUELIX_COMPONENT_${component}})
    set(package ${QUELIX_DEBIAN_PACKAGE_${component}})
    list(APPEND CPACK_COMPONENTS_ALL ${name})
    string(TOUPPER ${name} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
    install(FILES ${QUELIX_DEBIAN_SOURCE_DIR}/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${name} EXCLUDE_FROM_ALL)
    install(FILES ${QUELIX_DEBIAN_SOURCE_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME ${package} COMPONENT ${name} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_PACKAGE_NAME quelix)
set(CPACK_PACKAGE_VENDOR "Korvex")
set(CPACK_PACKAGE_CONTACT "Quelix SDK developers <sdk@quelix-camera.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE quelix)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Control files that are no scripts (triggers, shlibs) get mode 0644.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Run-time dependencies come from dpkg-shlibdeps. The library is found for
# it where the build put it: quelix links it, and its package is another.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
get_target_property(QUELIX_LIBRARY_BUILD_DIR QuelixSdk_205KWMX LIBRARY_OUTPUT_DIRECTORY)
if(NOT QUELIX_LIBRARY_BUILD_DIR)
    get_target_property(QUELIX_LIBRARY_BUILD_DIR QuelixSdk_205KWMX BINARY_DIR)
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${QUELIX_LIBRARY_BUILD_DIR})
# Packages of this source depend on the library package of exactly their own
# version (CPACK_COMPONENT_<C>_DEPENDS).
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

# The library: programs built against it depend on this version or a later
# one with the same soname (its shlibs file); ldconfig runs once the package
# is in place.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${QUELIX_DEBIAN_SOURCE_DIR}/triggers)
set(CPACK_QUELIX_LDCONFIG_PACKAGE ${QUELIX_DEBIAN_PACKAGE_RUNTIME})
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianLdconfigTrigger.cmake)
if(TARGET QuelixSdk_205KWMX_gtk)
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS ${QUELIX_DEBIAN_PACKAGE_GTK})
endif()
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "Quelix 205KWMX near-infrared camera SDK - shared library
The camera library of the Quelix 205KWMX near-infrared USB camera: the 147
Quelix_* C functions, with the host-side pipeline that corrects, converts,
shows, saves and records the camera's frames.

This package holds the shared library. Its settings dialogs appear on an
X11 display through the GTK 3 view in quelix-gtk-dialogs.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS ${QUELIX_COMPONENT_RUNTIME})
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "Quelix 205KWMX near-infrared camera SDK - development files
The camera library of the Quelix 205KWMX near-infrared USB camera: the 147
Quelix_* C functions, with the host-side pipeline that corrects, converts,
shows, saves and records the camera's frames.

This package holds the C headers, the development link, the CMake package
QuelixSdk (target Quelix::QuelixSdk), the pkg-config file quelix.pc, the
documentation and example programs.")

# The module works only with the library of its own build: both sides of
# the interface between them are internal.
set(CPACK_DEBIAN_GTK_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_GTK_DEPENDS ${QUELIX_COMPONENT_RUNTIME})
set(CPACK_DEBIAN_GTK_DESCRIPTION
    "Quelix 205KWMX near-infrared camera SDK - GTK 3 settings dialogs
The camera, image filter and stream format dialogs of the Quelix camera
library as GTK 3 windows. The library opens this module when an application
shows one of its dialogs on a display; without it the dialogs can only be
driven headless, through the library's dialog automation.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION science)
set(CPACK_COMPONENT_TOOLS_DEPENDS ${QUELIX_COMPONENT_RUNTIME})
set(CPACK_DEBIAN_TOOLS_DESCRIPTION
    "Quelix 205KWMX near-infrared camera command-line tools
Programs for the Quelix 205KWMX near-infrared USB camera. quelix shows live
statistics of the stream, saves snapshots as BMP, raw, JPEG, PNG or TIFF
files, records AVI files, takes the dark and bright references of mask
files, opens the settings dialogs over a live preview and soak-tests the
SDK under faults. quelix-camsim serves simulated cameras where the library
looks for cameras, driven from the command line (trigger, unplug, stall).
quelix-usbd is the USB driver of real cameras, with its udev rule and
systemd unit.")
# The group of the camera nodes and USB devices, made when the tools are
# installed.
if(TARGET quelix-usbd)
    set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS adduser)
    set(CPACK_DEBIAN_TOOLS_PACKAGE_CONTROL_EXTRA ${QUELIX_DEBIAN_SOURCE_DIR}/quelix-tools/postinst)
endif()

# The viewer shows the library's settings dialogs: it needs their GTK view.
set(CPACK_DEBIAN_VIEWER_PACKAGE_SECTION science)
set(CPACK_COMPONENT_VIEWER_DEPENDS ${QUELIX_COMPONENT_RUNTIME})
if(TARGET QuelixSdk_205KWMX_gtk)
    list(APPEND CPACK_COMPONENT_VIEWER_DEPENDS ${QUELIX_COMPONENT_GTK})
endif()
set(CPACK_DEBIAN_VIEWER_PACKAGE_SUGGESTS ${QUELIX_DEBIAN_PACKAGE_TOOLS})
set(CPACK_DEBIAN_VIEWER_DESCRIPTION
    "Quelix 205KWMX near-infrared camera desktop viewer
quelix-viewer shows a Quelix 205KWMX near-infrared USB camera live: the
picture with zoom, pan and the value under the cursor, a histogram with the
saturated pixels, a line profile, the sensor temperature and cooler level
and the frame rate and dropped frames over time. It sets exposure, gain,
automatic exposure, colour mode, mirrors and filters, opens the library's
settings dialogs, saves snapshots, records AVI files and guides the dark
and bright calibration into a mask file. --simulate runs it without a
camera.")

# Pure Python: one package for every architecture. It loads the library of
# this version or a later one with the same soname; quelix.simulate runs
# quelix-camsim.
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
    "python3, python3-numpy, ${QUELIX_DEBIAN_PACKAGE_RUNTIME} (>= ${QUELIX_DEBIAN_VERSION})")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS ${QUELIX_DEBIAN_PACKAGE_TOOLS})
set(CPACK_DEBIAN_PYTHON_DESCRIPTION
    "Python 3 interface to the Quelix 205KWMX near-infrared camera SDK
The Python package quelix drives Quelix 205KWMX near-infrared USB cameras
through the camera library: live frames and triggered captures as numpy
arrays, settings, images and recordings, with errors raised as exceptions.
quelix.simulate runs simulated cameras (quelix-camsim from quelix-tools).")

# The plugin goes into GStreamer's plugin directory; the simulated camera of
# simulate=true is linked into it.
set(CPACK_DEBIAN_GSTREAMER_PACKAGE_SECTION video)
set(CPACK_COMPONENT_GSTREAMER_DEPENDS ${QUELIX_COMPONENT_RUNTIME})
set(CPACK_DEBIAN_GSTREAMER_DESCRIPTION
    "GStreamer source element of the Quelix 205KWMX near-infrared camera
The GStreamer plugin libgstquelix with the live source element quelixsrc,
so that the Quelix 205KWMX near-infrared USB camera goes into any pipeline:
shown, encoded, recorded, handed to applications through appsink or
streamed over the network. Its frames are GRAY8, GRAY16_LE, BGR, BGRx or
BGRA64_LE, time-stamped with the moment the library held them; a lost
camera is waited for and resumed. simulate=true starts a simulated camera
for demonstrations without hardware.")

include(CPack)
