#!/usr/bin/env bash
# wine_run.sh STATE_DIR PROGRAM.exe [ARGS...]: runs a Windows program in the Wine
# session that wine_session.sh started, with the program's exit code.
set -u
state=$1
program=$(realpath "$2")
shift 2
# shellcheck disable=SC1091
. "$state/env" || { echo "wine_run: no Wine session in $state"; exit 1; }
# A working folder outside the prefix is Wine's drive Z:, so the programs' own
# absolute paths (test data) name the same files as here.
cd "$state" || exit 1
# Wine's loader notes on stderr that 32-bit support is absent; the programs are 64-bit.
wine "$program" "$@" 2> >(grep -v -e 'wine32 is missing' -e 'multiarch needs' -e 'dpkg --add-architecture' \
                     -e 'apt-get install wine32' >&2)
