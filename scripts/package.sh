#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds Quillmar from scratch in
# Release mode in build/package and makes the Debian package with CPack.
# Prints the package's path as the last line of its output.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh cmake g++ make qtbase5-dev libqt5serialport5-dev help2man gzip \
    dpkg-dev file

# Debian's compiler and linker flags, hardening included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS

build=build/package
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >&2
cmake --build "$build" -j"$(nproc)" >&2
(cd "$build" && cpack -G DEB) >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package="$PWD/$build/quillmar_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$package" ]; then
    echo "package.sh: $package was not made" >&2
    exit 1
fi
echo "$package"
