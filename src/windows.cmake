# SPDX-License-Identifier: MIT
# The Windows DLL: the same layers with the Windows platform services,
# exports fixed by the module-definition file (147 names at ordinals 1 to
# 147, checked against the public header), the C and C++ run-times and
# winpthread linked in statically so that the DLL needs only system DLLs.
foreach(layer ${QUELIX_LAYERS})
    target_compile_definitions(quelix_${layer} PUBLIC QUELIX_BUILDING_SDK WIN32_LEAN_AND_MEAN NOMINMAX
                               _WIN32_WINNT=0x0601 UNICODE _UNICODE)
endforeach()
# zlib linked in as well (libz-mingw-w64-dev has both).
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)
target_link_libraries(quelix_output PRIVATE PNG::PNG JPEG::JPEG TIFF::TIFF)
set(QUELIX_WINDOWS_SYSTEM_LIBRARIES ws2_32 winmm user32 gdi32 comctl32 advapi32)
set(QUELIX_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

# The layers' objects as one archive, for the Windows tests that reach the
# platform services directly.
add_library(quelix_core STATIC ${QUELIX_LAYER_OBJECTS})
target_include_directories(quelix_core PUBLIC ${PROJECT_SOURCE_DIR}/include ${CMAKE_CURRENT_SOURCE_DIR}
                           ${PROJECT_SOURCE_DIR})
target_compile_definitions(quelix_core PUBLIC QUELIX_BUILDING_SDK WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(quelix_core PUBLIC TIFF::TIFF JPEG::JPEG PNG::PNG ZLIB::ZLIB ${QUELIX_WINDOWS_SYSTEM_LIBRARIES})
target_link_options(quelix_core INTERFACE ${QUELIX_STATIC_RUNTIME})

set(QUELIX_DEF_FILE ${PROJECT_SOURCE_DIR}/cmake/QuelixSdk_205KWMX.def)
add_library(QuelixSdk_205KWMX SHARED ${QUELIX_LAYER_OBJECTS} ${QUELIX_DEF_FILE})
add_library(Quelix::QuelixSdk ALIAS QuelixSdk_205KWMX)
target_include_directories(QuelixSdk_205KWMX PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>)
target_link_libraries(QuelixSdk_205KWMX PRIVATE TIFF::TIFF JPEG::JPEG PNG::PNG ZLIB::ZLIB
                      ${QUELIX_WINDOWS_SYSTEM_LIBRARIES})
target_link_options(QuelixSdk_205KWMX PRIVATE ${QUELIX_STATIC_RUNTIME} -Wl,--no-undefined)
# QuelixSdk_205KWMX.dll and libQuelixSdk_205KWMX.dll.a, no "lib" prefix on the DLL.
set_target_properties(QuelixSdk_205KWMX PROPERTIES PREFIX "" IMPORT_PREFIX "lib" LINK_DEPENDS ${QUELIX_DEF_FILE})
