#!/usr/bin/env bash
# check_completion.sh COMPLETION_SCRIPT QUILLMAR_CLI
# Presses Tab (calls the completion function) on command lines for the
# built quillmar-cli and for a stand-in program with other commands,
# options and ports, which the completion must pick up from its help.
set -uo pipefail
script=$1 cli=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# shellcheck source=/dev/null
source "$script"

failures=0
# complete WORD... : COMPREPLY for the command line WORD..., the last word
# being the one under the cursor.
complete_line() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _quillmar_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
# expect "WANTED (one per line)" WORD...
expect() {
    local want=$1
    shift
    local got
    got=$(complete_line "$@")
    if [ "$got" != "$(printf '%s\n' "$want" | sort)" ]; then
        echo "FAIL: '$*' completed to [$(echo $got)], wanted [$(echo $want)]" >&2
        failures=$((failures + 1))
    fi
}

expect "upload" "$cli" up
expect "--help
--version" "$cli" --
expect "--address
--cell
--port
--trace
--verify" "$cli" upload --
expect "--name" "$cli" decode --n
expect "" "$cli" upload --cell ""

# File names after -o and for the program's operand.
touch "$scratch/prog.prgx" "$scratch/back.prgx"
expect "$scratch/back.prgx" "$cli" download -o "$scratch/b"
expect "$scratch/prog.prgx" "$cli" upload --port /dev/null "$scratch/p"

# Ports: the device files present, pseudo-terminals included. Other tests
# open and close terminals meanwhile (one may come and go while the
# completion runs), so those present both before and after must be offered,
# and nothing but terminals.
before=$(compgen -G '/dev/pts/[0-9]*' | sort)
got=$(complete_line "$cli" download --port /dev/pts/)
after=$(compgen -G '/dev/pts/[0-9]*' | sort)
always=$(comm -12 <(echo "$before") <(echo "$after"))
if [ -n "$(comm -23 <(echo "$always") <(echo "$got"))" ] \
    || [ -n "$(echo "$got" | grep -v '^/dev/pts/[0-9][0-9]*$' | grep .)" ]; then
    echo "FAIL: ports completed to [$(echo $got)], present [$(echo $before)] then [$(echo $after)]" >&2
    failures=$((failures + 1))
fi

# A program with other commands, options and ports: nothing is built in.
fake=$scratch/quillmar-cli
cat >"$fake" <<'EOF'
#!/bin/sh
case "$1 $2" in
    "--help ") printf 'Usage: x\n\nCommands:\n  scan        look\n  backup      keep\n\nOptions:\n  --help\n' ;;
    "scan --help") printf 'Usage: quillmar-cli scan --port PORT [--from N] [--echo]\n' ;;
    "ports ") printf 'ttyFAKE0\nttyFAKE1\n' ;;
esac
EOF
chmod +x "$fake"
expect "--help
backup
scan" "$fake" ""
expect "--echo
--from
--port" "$fake" scan --
expect "ttyFAKE0
ttyFAKE1" "$fake" scan --port tty
expect "" "$fake" scan --from ""

[ "$failures" -eq 0 ] || exit 1
echo "completion checked"
