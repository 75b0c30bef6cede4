#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), checks it with lintian,
# installs it with apt on this machine and tries the installed programs:
# --version, every installed example compiled, an upload and download
# round trip between quillmar-cli and quillmar-device, the manual page.
# Then removes the package and checks that none of its files is left.
# The package is removed and the emulated device stopped however the
# checks end. Needs root or sudo; reads nothing from standard input.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
say() { echo "check-package: $*"; }
apt_get() { "${sudo[@]}" apt-get -y -qq "$@" </dev/null; }

if dpkg-query -W -f='${Status}' quillmar 2>/dev/null | grep -q "install ok installed"; then
    echo "check-package: quillmar is installed already; remove it first" >&2
    exit 1
fi
scripts/install-deps.sh lintian man-db
package=$(scripts/package.sh | tail -n 1)
version=$(dpkg-deb -f "$package" Version)

scratch=$(mktemp -d)
device=
installed=
cleanup() {
    local status=$?
    if [ -n "$device" ]; then
        kill "$device" 2>/dev/null || true
        wait "$device" 2>/dev/null || true
    fi
    if [ -n "$installed" ]; then
        apt_get remove --purge quillmar >/dev/null || status=1
    fi
    rm -rf "$scratch"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

say "lintian (errors fail; warnings are listed)"
lintian --fail-on error "$package"

say "apt install $package"
installed=yes
# Some minimal images tell dpkg to skip manual pages; ours are checked.
apt_get install --no-install-recommends -o DPkg::Options::=--path-include='/usr/share/man/man1/quillmar*' \
    "$package" >/dev/null
dpkg-query -L quillmar >"$scratch/files"

say "installed quillmar-cli --version"
got=$(/usr/bin/quillmar-cli --version)
[ "$got" = "quillmar-cli $version" ] || { echo "check-package: --version printed '$got'" >&2; exit 1; }

say "manual page"
man -w quillmar-cli

examples=(/usr/share/quillmar/examples/*.prgx)
[ -f "${examples[0]}" ] || { echo "check-package: no example installed" >&2; exit 1; }
say "compile ${#examples[@]} installed examples"
for example in "${examples[@]}"; do
    /usr/bin/quillmar-cli compile "$example" >/dev/null
done

say "upload and download through the installed quillmar-device"
/usr/bin/quillmar-device --state "$scratch/device-state" >"$scratch/device.out" </dev/null &
device=$!
port=
for _ in $(seq 100); do
    port=$(head -n 1 "$scratch/device.out")
    [ -n "$port" ] && break
    kill -0 "$device" 2>/dev/null || break
    sleep 0.05
done
[ -n "$port" ] || { echo "check-package: quillmar-device did not start" >&2; exit 1; }
cell=0
for example in "${examples[@]}"; do
    cell=$((cell % 4 + 1))
    /usr/bin/quillmar-cli upload --port "$port" --cell "$cell" --verify "$example" >/dev/null
    /usr/bin/quillmar-cli download --port "$port" --cell "$cell" -o "$scratch/back.prgx" >/dev/null
    # The source comes back without comments and spacing; the records must
    # be the same.
    cmp <(/usr/bin/quillmar-cli dump "$example") <(/usr/bin/quillmar-cli dump "$scratch/back.prgx") ||
        { echo "check-package: ${example##*/} came back different" >&2; exit 1; }
done

say "remove the package"
apt_get remove --purge quillmar >/dev/null
installed=
left=0
while IFS= read -r path; do
    # Shared directories stay; the package's own files and directories go.
    if [ -e "$path" ] && { [ ! -d "$path" ] || [[ $path == *quillmar* ]]; }; then
        echo "check-package: left behind: $path" >&2
        left=1
    fi
done <"$scratch/files"
[ "$left" -eq 0 ]
say "passed"
