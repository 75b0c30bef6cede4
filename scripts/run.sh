#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds Quillmar (Release) in
# build/run and starts it together with the emulated power supply, whose
# pseudo-terminal is listed first in the port box. The emulator keeps its
# memory cells in ${XDG_DATA_HOME:-~/.local/share}/quillmar/device-state and
# stops when the window closes. Arguments are passed on to the program.
# QUILLMAR_PORTS=/dev/pts/3:/dev/pts/4 offers further ports the system does
# not list.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh cmake g++ make qtbase5-dev libqt5serialport5-dev

build=build/run
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target quillmar quillmar-device -j"$(nproc)"

state_dir="${XDG_DATA_HOME:-$HOME/.local/share}/quillmar"
mkdir -p "$state_dir"
first_line=$(mktemp)
device=
stop_device() {
    if [ -n "$device" ]; then
        kill "$device" 2>/dev/null || true
        wait "$device" 2>/dev/null || true
    fi
    rm -f "$first_line"
}
trap stop_device EXIT
trap 'exit 130' INT TERM

"$build/emulator/quillmar-device" --state "$state_dir/device-state" >"$first_line" &
device=$!

# The emulator prints its terminal's path as its first line.
port=
for _ in $(seq 100); do
    if [ "$(wc -l <"$first_line")" -ge 1 ]; then
        port=$(head -n 1 "$first_line")
        break
    fi
    if ! kill -0 "$device" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
if [ -z "$port" ]; then
    echo "run.sh: the emulated device did not start" >&2
    exit 1
fi
echo "run.sh: emulated device on $port" >&2

QUILLMAR_PORTS="$port${QUILLMAR_PORTS:+:$QUILLMAR_PORTS}" "$build/app/quillmar" "$@"
