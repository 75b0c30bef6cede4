#!/usr/bin/env bash
# check_install.sh BUILD_DIR SCRATCH_DIR VERSION
# Installs the build under SCRATCH_DIR/usr and checks what a desktop, a
# package manager and a user expect there: exactly the expected files, icons
# of the size their directory names, manual pages man reads without a
# warning, metadata the validators accept, and versions in step with the
# project's.
set -uo pipefail
build=$1 root=$2 version=$3
usr=$root/usr
export LC_ALL=C.UTF-8

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

rm -rf "$root"
cmake --install "$build" --prefix "$usr" >/dev/null || { echo "FAIL: cmake --install" >&2; exit 1; }

expected=(
    bin/quillmar bin/quillmar-cli bin/quillmar-device
    share/applications/quillmar.desktop
    share/metainfo/io.github.quillmar.Quillmar.metainfo.xml
    share/icons/hicolor/48x48/apps/quillmar.png share/icons/hicolor/64x64/apps/quillmar.png
    share/icons/hicolor/128x128/apps/quillmar.png share/icons/hicolor/256x256/apps/quillmar.png
    share/man/man1/quillmar.1.gz share/man/man1/quillmar-cli.1.gz share/man/man1/quillmar-device.1.gz
    share/bash-completion/completions/quillmar-cli
    share/doc/quillmar/copyright share/doc/quillmar/changelog.gz
)
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
for example in "$source_dir"/examples/*.prgx; do
    expected+=("share/quillmar/examples/${example##*/}")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$usr" && find . -type f | sed 's|^\./||' | sort) ||
    fail "installed files differ from the expected ones (< missing, > unexpected)"
for program in quillmar quillmar-cli quillmar-device; do
    [ -x "$usr/bin/$program" ] || fail "$program is not executable"
done

for size in 48 64 128 256; do
    icon=$usr/share/icons/hicolor/${size}x${size}/apps/quillmar.png
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r -a header < <(od -An -tu1 -j16 -N8 "$icon")
    width=$(( (header[0] << 24) | (header[1] << 16) | (header[2] << 8) | header[3] ))
    height=$(( (header[4] << 24) | (header[5] << 16) | (header[6] << 8) | header[7] ))
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "icon in ${size}x${size} is ${width}x${height}"
done

for program in quillmar-cli quillmar-device; do
    got=$("$usr/bin/$program" --version)
    [ "$got" = "$program $version" ] || fail "$program --version printed '$got', not '$program $version'"
done
grep -m1 -o '<release version="[^"]*"' "$usr/share/metainfo/io.github.quillmar.Quillmar.metainfo.xml" |
    grep -qF "\"$version\"" || fail "the metainfo's newest release is not $version"
zcat "$usr/share/doc/quillmar/changelog.gz" | head -n 1 | grep -qF "($version)" ||
    fail "the changelog's first entry is not $version"

# Every command the program lists has its section in the manual page.
cli_page=$(zcat "$usr/share/man/man1/quillmar-cli.1.gz")
commands=$("$usr/bin/quillmar-cli" --help | awk '/^Commands:/ { on = 1; next } on && /^  [^ ]/ { print $1; next } on { exit }')
[ -n "$commands" ] || fail "quillmar-cli --help lists no command"
for command in $commands; do
    grep -qx "\.SS $command" <<<"$cli_page" || fail "quillmar-cli(1) has no section for $command"
done
sed -n '/^\.SH OPTIONS/,/^\.SH /p' <<<"$cli_page" | grep -q 'fB\\-\\-version' ||
    fail "quillmar-cli(1) has no OPTIONS section with --version"
grep -q 'fB\\-\\-port' < <(zcat "$usr/share/man/man1/quillmar-device.1.gz") || fail "quillmar-device(1) lacks --port"
for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about ${page##*/}: $warnings"
done

desktop-file-validate "$usr/share/applications/quillmar.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/io.github.quillmar.Quillmar.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"

[ "$failures" -eq 0 ] || exit 1
echo "install tree checked: ${#expected[@]} files"
