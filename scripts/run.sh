#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds Quillmar (Release) in
# build/run and starts it. Arguments are passed on to the program.
# QUILLMAR_PORTS=/dev/pts/3:/dev/pts/4 offers ports the system does not list.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh cmake g++ make qtbase5-dev libqt5serialport5-dev

build=build/run
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target quillmar -j"$(nproc)"
exec "$build/app/quillmar" "$@"
