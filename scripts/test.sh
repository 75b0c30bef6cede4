#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds and runs the whole test suite
# through ctest. Options:
#   --sanitize   build with AddressSanitizer and UndefinedBehaviorSanitizer
#   --qt6        build against Qt 6 instead of Qt 5
#   --soak       also run the long soak tests (skipped by default)
#   --only-soak  run only the soak tests
# Extra arguments after "--" go to ctest (for example: -- -R tst_language).
set -euo pipefail
cd "$(dirname "$0")/.."

variant=plain
labels=(-LE soak)
ctest_extra=()
cmake_extra=()
while [ $# -gt 0 ]; do
    case "$1" in
        --sanitize) variant=sanitize; cmake_extra+=(-DQUILLMAR_SANITIZE=ON) ;;
        --qt6) variant=qt6; cmake_extra+=(-DQUILLMAR_QT6=ON) ;;
        --soak) labels=() ;;
        --only-soak) labels=(-L soak) ;;
        --) shift; ctest_extra=("$@"); break ;;
        *) echo "test.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

# help2man writes the manual pages at build time; the others check the
# installed tree (tests/packaging).
packages=(cmake g++ make help2man gzip man-db desktop-file-utils appstream)
if [ "$variant" = qt6 ]; then
    packages+=(qt6-base-dev qt6-serialport-dev libgl-dev)
else
    packages+=(qtbase5-dev libqt5serialport5-dev)
fi
scripts/install-deps.sh "${packages[@]}"

build="build/$variant"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cmake_extra[@]}"
fi
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp}
cd "$build"
ctest --output-on-failure -j"$(nproc)" "${labels[@]}" "${ctest_extra[@]}"
