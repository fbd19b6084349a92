# SPDX-License-Identifier: MIT
# The API reference (`docs` target): HTML pages made by Doxygen from the
# public headers, when Doxygen is found. Any Doxygen warning fails the
# target. `cmake --install` puts the pages, once built, into
# share/doc/quelix/html.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
    return()
endif()

set(QUELIX_API_DOCS_DIR ${PROJECT_BINARY_DIR}/api-docs)
configure_file(${PROJECT_SOURCE_DIR}/cmake/Doxyfile.in ${QUELIX_API_DOCS_DIR}/Doxyfile @ONLY)
add_custom_target(docs
    COMMAND ${CMAKE_COMMAND} -E remove_directory ${QUELIX_API_DOCS_DIR}/html
    COMMAND ${DOXYGEN_EXECUTABLE} ${QUELIX_API_DOCS_DIR}/Doxyfile
    WORKING_DIRECTORY ${QUELIX_API_DOCS_DIR}
    COMMENT "API reference in ${QUELIX_API_DOCS_DIR}/html"
    VERBATIM)
install(DIRECTORY ${QUELIX_API_DOCS_DIR}/html/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quelix/html OPTIONAL)
