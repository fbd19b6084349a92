# SPDX-License-Identifier: MIT
# Where an install puts each part, the install component each part belongs
# to and the Debian package made of each component. Included before the
# subdirectories, so that every install() rule can name these.
#
#   component     Debian package            what
#   runtime       libquelixsdk-205kwmx1     the shared library (soname .so.1)
#   development   libquelixsdk-dev          headers, .so link, CMake package,
#                                           quelix.pc, docs and examples
#   gtk           quelix-gtk-dialogs        the GTK 3 view of the settings
#                                           dialogs, a module in a private
#                                           directory
#   tools         quelix-tools              quelix, quelix-camsim, man pages
#   viewer        quelix-viewer             quelix-viewer with its desktop
#                                           entry, icon and man page
#   python        python3-quelix            the quelix Python package
#   gstreamer     gstreamer1.0-quelix       the GStreamer plugin (quelixsrc)
#   docs          (none)                    README, LICENSE, docs and examples
#                                           of a plain install, in
#                                           share/doc/quelix; the Debian
#                                           packages carry their own copies

# Libraries go to Debian's multiarch directory (lib/x86_64-linux-gnu) under
# every prefix where the compiler has one, as Debian's own packages do; the
# loader, pkg-config and CMake search it under /usr/local too. Another
# directory is chosen with -DCMAKE_INSTALL_LIBDIR=... (a build directory
# configured before keeps the one it has).
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT DEFINED CACHE{CMAKE_INSTALL_LIBDIR})
    set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries (LIBDIR)")
endif()
include(GNUInstallDirs)

set(QUELIX_COMPONENT_RUNTIME runtime)
set(QUELIX_COMPONENT_DEVELOPMENT development)
set(QUELIX_COMPONENT_GTK gtk)
set(QUELIX_COMPONENT_TOOLS tools)
set(QUELIX_COMPONENT_VIEWER viewer)
set(QUELIX_COMPONENT_PYTHON python)
set(QUELIX_COMPONENT_GSTREAMER gstreamer)
set(QUELIX_COMPONENT_DOCS docs)

set(QUELIX_DEBIAN_PACKAGE_RUNTIME libquelixsdk-205kwmx${PROJECT_VERSION_MAJOR})
set(QUELIX_DEBIAN_PACKAGE_DEVELOPMENT libquelixsdk-dev)
set(QUELIX_DEBIAN_PACKAGE_GTK quelix-gtk-dialogs)
set(QUELIX_DEBIAN_PACKAGE_TOOLS quelix-tools)
set(QUELIX_DEBIAN_PACKAGE_VIEWER quelix-viewer)
set(QUELIX_DEBIAN_PACKAGE_PYTHON python3-quelix)
set(QUELIX_DEBIAN_PACKAGE_GSTREAMER gstreamer1.0-quelix)

# The library opens the GTK dialog view from the directory quelix/ beside
# itself: a private directory, since the module is no library to link.
set(QUELIX_MODULE_SUBDIR quelix)
set(QUELIX_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/${QUELIX_MODULE_SUBDIR})
set(QUELIX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuelixSdk)
set(QUELIX_INSTALL_PYTHONDIR lib/python3/dist-packages)
set(QUELIX_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quelix)
# Debian keeps a package's documentation in /usr/share/doc/PACKAGE.
set(QUELIX_DEBIAN_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${QUELIX_DEBIAN_PACKAGE_DEVELOPMENT})

# Installs documentation twice: into share/doc/quelix[/SUBDIR] of a plain
# install, and into the development package's doc directory, which only a
# Debian package (or an install of that component by name) gets.
#   quelix_install_docs(FILES|DIRECTORY paths... [SUBDIR dir] [OPTIONAL] [EXCLUDE pattern...])
function(quelix_install_docs kind)
    cmake_parse_arguments(PARSE_ARGV 1 arg "OPTIONAL" "SUBDIR" "EXCLUDE")
    set(options)
    if(arg_OPTIONAL)
        list(APPEND options OPTIONAL)
    endif()
    set(patterns)
    foreach(pattern IN LISTS arg_EXCLUDE)
        list(APPEND patterns PATTERN ${pattern} EXCLUDE)
    endforeach()
    set(subdir)
    if(arg_SUBDIR)
        set(subdir /${arg_SUBDIR})
    endif()
    install(${kind} ${arg_UNPARSED_ARGUMENTS} DESTINATION ${QUELIX_INSTALL_DOCDIR}${subdir} ${options}
            COMPONENT ${QUELIX_COMPONENT_DOCS} ${patterns})
    install(${kind} ${arg_UNPARSED_ARGUMENTS} DESTINATION ${QUELIX_DEBIAN_DOCDIR}${subdir} ${options}
            COMPONENT ${QUELIX_COMPONENT_DEVELOPMENT} EXCLUDE_FROM_ALL ${patterns})
endfunction()

# Compresses SOURCE into the build tree as OUTPUT the way Debian wants man
# pages and changelogs (gzip -9n: best compression, no name or time stamp,
# so the same source gives the same bytes). Done when CMake configures; an
# edit of SOURCE configures again.
find_program(QUELIX_GZIP gzip REQUIRED)
function(quelix_gzip source output)
    get_filename_component(directory ${output} DIRECTORY)
    file(MAKE_DIRECTORY ${directory})
    execute_process(COMMAND ${QUELIX_GZIP} -9n -c ${source} OUTPUT_FILE ${output} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "gzip failed on ${source}")
    endif()
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
