#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the SDK as users take it: installs a build directory to a staging
# prefix, builds every example against it through the CMake package and
# through pkg-config and runs them against a simulated camera, makes the
# Debian packages, lists them, checks what each holds and runs lintian on
# them (any error fails), runs the packaged tool and Python package from the
# packages' files, and runs the Python package's tests against the installed
# library.
#   check-install.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=$(realpath "$1")
work=$(mktemp -d)
export QUELIX_REGISTRY="$work/registry.reg"
export QUELIX_SHM_NAME="quelix-install-check-$$"
export QUELIX_DEVICE_DIR="$work/devices"
unset DISPLAY
camsim_pid=""
cleanup() {
    [ -n "$camsim_pid" ] && kill "$camsim_pid" 2>/dev/null && wait "$camsim_pid" 2>/dev/null
    rm -rf "$work"
    rm -f "/dev/shm/$QUELIX_SHM_NAME-$(id -u)"
}
trap cleanup EXIT

stage="$work/stage"
echo "-- install to $stage"
cmake --install "$build" --prefix "$stage" >/dev/null
# The library directory the build installs to: lib/x86_64-linux-gnu on Debian.
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
library="$stage/$libdir/libQuelixSdk_205KWMX.so.1"
[ -e "$library" ] || { echo "no library installed in $libdir"; exit 1; }
[[ $(file -L "$library") == *"shared object"* ]]
[[ $(objdump -p "$library") =~ SONAME\ +libQuelixSdk_205KWMX\.so\.1 ]]
for installed in include/quelix/QuelixSdk_205KWMX.h include/quelix/QuelixPlatform.h bin/quelix \
    bin/quelix-camsim share/man/man1/quelix.1.gz share/man/man1/quelix-camsim.1.gz \
    share/doc/quelix/README.md share/doc/quelix/LICENSE share/doc/quelix/examples/hello_camera.c \
    lib/python3/dist-packages/quelix/__init__.py; do
    [ -e "$stage/$installed" ] || { echo "not installed: $installed"; exit 1; }
done
# The Debian packages' own files and the man pages' sources stay out of a
# plain install.
for debian_only in share/lintian share/doc/quelix/man "share/doc/libquelixsdk-dev"; do
    [ ! -e "$stage/$debian_only" ] || { echo "installed, but belongs to the Debian packages: $debian_only"; exit 1; }
done
# The GTK dialog view is a module in a private directory, not beside the library.
gtk_module=libQuelixSdk_205KWMX_gtk.so
if [ -e "$(dirname "$library")/$gtk_module" ]; then
    echo "the GTK module lies in the library directory"
    exit 1
fi
with_gtk=false
[ -e "$stage/$libdir/quelix/$gtk_module" ] && with_gtk=true
# The GStreamer plugin, where it was built: in GStreamer's plugin directory.
gst_plugin=$(sed -n 's/^QUELIX_INSTALL_GSTDIR:[A-Z]*=//p' "$build/CMakeCache.txt")/libgstquelix.so
with_gst=false
[ -e "$stage/$gst_plugin" ] && with_gst=true
"$stage/bin/quelix" stream --help >/dev/null
# The viewer, built when GTK 3 was found: its program, desktop entry, icon and man page.
with_viewer=false
man_pages=(quelix quelix-camsim)
if [ -e "$stage/bin/quelix-viewer" ]; then
    with_viewer=true
    man_pages+=(quelix-viewer)
    for installed in share/applications/quelix-viewer.desktop \
        share/icons/hicolor/scalable/apps/quelix-viewer.svg share/man/man1/quelix-viewer.1.gz; do
        [ -e "$stage/$installed" ] || { echo "not installed: $installed"; exit 1; }
    done
    "$stage/bin/quelix-viewer" --help >/dev/null
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$stage/share/applications/quelix-viewer.desktop"
    fi
fi
# The USB driver, built where libusb is, with its udev rule and systemd unit.
with_usbd=false
if [ -e "$stage/bin/quelix-usbd" ]; then
    with_usbd=true
    man_pages+=(quelix-usbd)
    "$stage/bin/quelix-usbd" --help >/dev/null
    for installed in lib/udev/rules.d/60-quelix.rules lib/systemd/system/quelix-usbd.service; do
        [ -e "$stage/$installed" ] || { echo "not installed: $installed"; exit 1; }
    done
fi
for page in "${man_pages[@]}"; do
    gzip -t "$stage/share/man/man1/$page.1.gz"
    man --warnings -l "$stage/share/man/man1/$page.1.gz" 2>&1 >/dev/null | (! grep .) ||
        { echo "the man page $page.1 has errors"; exit 1; }
done

# Every example builds: the library exports every function they use.
examples=(hello_camera live_frames triggered_capture snapshot_png record_avi calibrate)

echo "-- examples through the CMake package"
cmake -S examples -B "$work/examples-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$work/examples-cmake" --target "${examples[@]}" >"$work/examples-cmake.log" ||
    { cat "$work/examples-cmake.log"; exit 1; }
echo "-- examples through pkg-config"
mkdir -p "$work/examples-pkgconfig"
PKG_CONFIG_PATH=$(dirname "$library")/pkgconfig make -s -C "$work/examples-pkgconfig" \
    -f "$source/examples/Makefile" "${examples[@]}"

"$stage/bin/quelix-camsim" --fast --scene chart >"$work/camsim.out" &
camsim_pid=$!
for _ in $(seq 100); do grep -q ready "$work/camsim.out" && break; sleep 0.1; done
grep -q ready "$work/camsim.out"
ctl() { "$stage/bin/quelix-camsim" ctl "$@" >/dev/null; }

run_examples() {
    local dir=$1
    local example
    echo "-- running the examples of $dir"
    for example in "${examples[@]}"; do
        case $example in
            hello_camera) "$dir/hello_camera" >/dev/null ;;
            live_frames) "$dir/live_frames" 60 | tail -n 1 ;;
            triggered_capture)
                (while sleep 0.05; do ctl trigger 0 || true; done) &
                local pulses=$!
                "$dir/triggered_capture" 3 | tail -n 1
                kill $pulses
                wait $pulses 2>/dev/null || true ;;
            snapshot_png)
                "$dir/snapshot_png" "$work/snapshot.png"
                [[ $(file "$work/snapshot.png") == *"PNG image data, 320 x 256, 16-bit grayscale"* ]] ;;
            record_avi)
                "$dir/record_avi" "$work/clip.avi" 3
                [[ $(file "$work/clip.avi") == *"AVI"* ]] ;;
            calibrate)
                # Answers each prompt once the simulated camera shows what it asks for.
                coproc CALIBRATE { "$dir/calibrate" "$work/camera.msk"; }
                local line
                read -r line <&"${CALIBRATE[0]}"; ctl scene 0 dark; echo >&"${CALIBRATE[1]}"
                read -r line <&"${CALIBRATE[0]}"; ctl scene 0 flat; echo >&"${CALIBRATE[1]}"
                read -r line <&"${CALIBRATE[0]}"; echo "$line"
                wait "$CALIBRATE_PID"
                ctl scene 0 chart
                [ "$(stat -c %s "$work/camera.msk")" -eq 491560 ] ;;
        esac
    done
}
run_examples "$work/examples-cmake"
run_examples "$work/examples-pkgconfig"
kill "$camsim_pid"
wait "$camsim_pid" 2>/dev/null || true
camsim_pid=""

echo "-- Debian packages"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; exit 1; }
runtime=libquelixsdk-205kwmx1
packages=("$runtime" libquelixsdk-dev quelix-tools python3-quelix)
$with_gtk && packages+=(quelix-gtk-dialogs)
$with_gst && packages+=(gstreamer1.0-quelix)
$with_viewer && packages+=(quelix-viewer)
version=$(dpkg-deb -f "$work"/deb/"$runtime"_*.deb Version)
debs=("$work"/deb/*.deb)
[ ${#debs[@]} -eq ${#packages[@]} ] || { echo "packages made: ${debs[*]##*/}"; exit 1; }
deb_of() { ls "$work"/deb/"$1"_"$version"_*.deb; }
# holds PACKAGE PATH...: the package holds each path (a regular expression).
holds() {
    local package=$1
    shift
    local path
    for path in "$@"; do
        grep -qxE "\./$path" "$work/contents-$package" || { echo "$package lacks $path"; exit 1; }
    done
}
for package in "${packages[@]}"; do
    deb=$(deb_of "$package")
    basename "$deb"
    dpkg-deb -f "$deb" Architecture Depends Recommends Suggests | sed 's/^/    /'
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' >"$work/contents-$package"
    sed 's/^/    /' "$work/contents-$package"
    holds "$package" "usr/share/doc/$package/copyright" "usr/share/doc/$package/changelog\.Debian\.gz"
done
ma="usr/$libdir"
holds "$runtime" "$ma/libQuelixSdk_205KWMX\.so\.1" "$ma/libQuelixSdk_205KWMX\.so\.1\.0\.0"
holds libquelixsdk-dev "$ma/libQuelixSdk_205KWMX\.so" "usr/include/quelix/QuelixSdk_205KWMX\.h" \
    "$ma/cmake/QuelixSdk/QuelixSdkConfig\.cmake" "$ma/pkgconfig/quelix\.pc" \
    "usr/share/doc/libquelixsdk-dev/README\.md" "usr/share/doc/libquelixsdk-dev/examples/hello_camera\.c"
holds quelix-tools usr/bin/quelix usr/bin/quelix-camsim "usr/share/man/man1/quelix\.1\.gz" \
    "usr/share/man/man1/quelix-camsim\.1\.gz"
$with_usbd && holds quelix-tools usr/bin/quelix-usbd "usr/share/man/man1/quelix-usbd\.1\.gz" \
    "usr/lib/udev/rules\.d/60-quelix\.rules" "usr/lib/systemd/system/quelix-usbd\.service"
holds python3-quelix "usr/lib/python3/dist-packages/quelix/__init__\.py"
$with_gtk && holds quelix-gtk-dialogs "$ma/quelix/$gtk_module"
$with_gst && holds gstreamer1.0-quelix "usr/${gst_plugin//./\\.}"
if $with_viewer; then
    holds quelix-viewer usr/bin/quelix-viewer "usr/share/applications/quelix-viewer\.desktop" \
        "usr/share/icons/hicolor/scalable/apps/quelix-viewer\.svg" "usr/share/man/man1/quelix-viewer\.1\.gz"
    viewer_depends=$(dpkg-deb -f "$(deb_of quelix-viewer)" Depends)
    [[ $viewer_depends == *"$runtime (= $version)"* ]] || { echo "quelix-viewer: Depends $viewer_depends"; exit 1; }
    if $with_gtk; then
        [[ $viewer_depends == *"quelix-gtk-dialogs (= $version)"* ]] ||
            { echo "quelix-viewer does not depend on quelix-gtk-dialogs"; exit 1; }
    fi
fi
# The library (its file and soname link) is in its package alone, and no
# path is in two packages.
[ "$(cat "$work"/contents-* | grep -c "libQuelixSdk_205KWMX\.so\.1")" -eq 2 ] ||
    { echo "the library is in more than its package"; exit 1; }
[ -z "$(cat "$work"/contents-* | sort | uniq -d)" ] || { echo "a path in two packages"; exit 1; }
# The others depend on the library, the development files and the tools on
# exactly their own version.
[[ $(dpkg-deb -f "$(deb_of "$runtime")" Depends) == *libc6* ]]
dependents=(libquelixsdk-dev quelix-tools)
$with_gst && dependents+=(gstreamer1.0-quelix)
for package in "${dependents[@]}"; do
    [[ $(dpkg-deb -f "$(deb_of "$package")" Depends) == *"$runtime (= $version)"* ]] ||
        { echo "$package does not depend on $runtime (= $version)"; exit 1; }
done
[[ $(dpkg-deb -f "$(deb_of python3-quelix)" Depends) == *python3-numpy*"$runtime"* ]]
[ "$(dpkg-deb -f "$(deb_of python3-quelix)" Architecture)" = all ]
# ldconfig runs through the library package's trigger, not its scripts.
dpkg-deb --ctrl-tarfile "$(deb_of "$runtime")" | tar -t | grep -qx ./triggers
[ "$(dpkg-deb --info "$(deb_of "$runtime")" triggers)" = "activate-noawait ldconfig" ]
if dpkg-deb --ctrl-tarfile "$(deb_of "$runtime")" | tar -t | grep -qE '^\./(postinst|postrm)$'; then
    echo "$runtime has maintainer scripts"
    exit 1
fi

echo "-- lintian"
lintian --fail-on error "$work"/deb/*.deb

echo "-- the packages' tool and Python package"
for package in "${packages[@]}"; do
    dpkg-deb -x "$(deb_of "$package")" "$work/root"
done
"$work/root/usr/bin/quelix" snap --simulate --scene chart --bits 16 -o "$work/packaged.png"
[[ $(file "$work/packaged.png") == *"PNG image data, 320 x 256, 16-bit grayscale"* ]]
if $with_gst; then
    # The packaged plugin finds the packaged library beside its directory.
    GST_REGISTRY="$work/gst-registry.bin" GST_PLUGIN_PATH="$work/root/usr/$(dirname "$gst_plugin")" \
        gst-launch-1.0 -q quelixsrc simulate=true num-buffers=5 ! filesink location="$work/packaged.raw"
    [ "$(stat -c %s "$work/packaged.raw")" -eq $((5 * 320 * 256 * 2)) ]
fi
loaded=$(env -u QUELIX_LIBRARY PYTHONPATH="$work/root/usr/lib/python3/dist-packages" /usr/bin/python3 -c \
    'import quelix._library as l; print(l.load().path)')
[ "$loaded" = "$work/root/$ma/libQuelixSdk_205KWMX.so.1" ] || { echo "the Python package loaded $loaded"; exit 1; }

echo "-- Python package against the installed library"
env -u QUELIX_LIBRARY -u QUELIX_CAMSIM -u QUELIX_DEVICE_DIR \
    PYTHONPATH="$stage/lib/python3/dist-packages:$source/python/tests" \
    /usr/bin/python3 -m pytest -q -rs -p no:cacheprovider "$source/python/tests"
echo "install check passed"
