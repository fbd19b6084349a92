#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the image libraries of the Windows DLL (zlib comes from
# libz-mingw-w64-dev): libpng, libjpeg-turbo and libtiff, as static
# mingw-w64 libraries from Debian's own sources, into PREFIX
# (default build-windows-deps/prefix). Debian ships no Windows builds of
# them. Does nothing when PREFIX already holds all three.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=${1:-$root/build-windows-deps}
prefix=$work/prefix
if [ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/lib/libtiff.a" ]; then
    exit 0
fi
mkdir -p "$work/src"
cd "$work/src"

# Debian's source packages, fetched with apt from the deb-src lines this
# adds when the machine has none.
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
if ! ls libpng1.6_*.orig.tar.* libjpeg-turbo_*.orig.tar.* tiff_*.orig.tar.* >/dev/null 2>&1; then
    if ! grep -rqs "deb-src" /etc/apt/sources.list /etc/apt/sources.list.d/; then
        $sudo tee /etc/apt/sources.list.d/quelix-deb-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
        $sudo apt-get update -q
    fi
    apt-get source --download-only -q libpng1.6 libjpeg-turbo tiff
fi
rm -rf png jpeg tiff
mkdir png jpeg tiff
tar -xf libpng1.6_*.orig.tar.* -C png --strip-components=1
tar -xf libjpeg-turbo_*.orig.tar.* -C jpeg --strip-components=1
tar -xf tiff_*.orig.tar.* -C tiff --strip-components=1

toolchain=$root/cmake/mingw-w64-x86_64.cmake
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX="$prefix" -DQUELIX_WINDOWS_DEPS="$prefix" -DCMAKE_POSITION_INDEPENDENT_CODE=ON
        -DCMAKE_CROSSCOMPILING_EMULATOR=)

cmake -S png -B png/build "${common[@]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
cmake --build png/build -j"$(nproc)" --target install

cmake -S jpeg -B jpeg/build "${common[@]}" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
    -DWITH_TURBOJPEG=OFF
cmake --build jpeg/build -j"$(nproc)" --target jpeg-static
install -D -m 644 jpeg/build/libjpeg.a "$prefix/lib/libjpeg.a"
install -m 644 jpeg/jpeglib.h jpeg/jerror.h jpeg/jmorecfg.h jpeg/build/jconfig.h "$prefix/include/"

cmake -S tiff -B tiff/build "${common[@]}" -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF \
    -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlerc=OFF \
    -Dlibdeflate=OFF -Djpeg=ON -Dzlib=ON -Dpixarlog=OFF -Dold-jpeg=OFF
cmake --build tiff/build -j"$(nproc)" --target tiff
install -D -m 644 tiff/build/libtiff/libtiff.a "$prefix/lib/libtiff.a"
install -m 644 tiff/libtiff/tiff.h tiff/libtiff/tiffio.h tiff/libtiff/tiffvers.h \
    tiff/build/libtiff/tiffconf.h "$prefix/include/"
