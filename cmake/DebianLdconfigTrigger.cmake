# SPDX-License-Identifier: MIT
# Run by cpack once it has made the packages (CPACK_POST_BUILD_SCRIPTS).
# CPack gives a package with a library below /usr/lib a postinst and a postrm
# that run ldconfig; the library package has an ldconfig trigger instead
# (packaging/debian/triggers), so it is made again without those scripts.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(name ${package} NAME)
    if(NOT name MATCHES "^${CPACK_QUELIX_LDCONFIG_PACKAGE}_.*\\.deb$")
        continue()
    endif()
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/ldconfig-trigger)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build ${tree} ${package}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
