#!/bin/sh
# Installs the build into a scratch prefix and checks the desktop entry there: valid for
# desktop-file-validate, the "orvane" scheme handler, and its Exec naming the installed
# program, which must be there with its watchdog and its library.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake -DCMAKE_INSTALL_PREFIX="$prefix" -P "$build/cmake_install.cmake" >/dev/null
# The entry names the program under the prefix it was installed to, not the configured one.
entry="$prefix/share/applications/orvane.desktop"
desktop-file-validate "$entry"
grep -qx 'MimeType=x-scheme-handler/orvane;' "$entry"
grep -qx 'Icon=orvane' "$entry"
program=$(sed -n 's/^Exec=\(.*\) %u$/\1/p' "$entry")
[ -n "$program" ] || { echo "no Exec= <program> %u line" >&2; exit 1; }
[ "$program" = "$prefix/bin/orvane" ] || { echo "Exec names $program, not $prefix/bin/orvane" >&2; exit 1; }
# The four actions, in order, each running the installed program with its option.
grep -qx 'Actions=wind-down;true-color;follow-evening;toggle;' "$entry" || { echo "wrong Actions= line" >&2; exit 1; }
expected="wind-down|Wind Down|$program --wind-down
true-color|True Color|$program --true-color 15
follow-evening|Follow My Evening|$program --follow-evening
toggle|On or Off|$program --toggle"
found=$(awk '/^\[Desktop Action /{id=substr($3, 1, length($3) - 1)} id && /^Name=/{name=substr($0, 6)}
             id && /^Exec=/{print id "|" name "|" substr($0, 6); id=""}' "$entry")
[ "$found" = "$expected" ] || { printf 'desktop actions:\n%s\n' "$found" >&2; exit 1; }
[ -x "$prefix/bin/orvane" ] || { echo "program not installed in the bin directory" >&2; exit 1; }
[ ! -e "$prefix/bin/glowkeeper" ] || { echo "the watchdog is on PATH" >&2; exit 1; }
# The installed executable finds the program library, and the runtime its watchdog, where
# they were installed.
library=$(ls -d "$prefix"/lib*/orvane "$prefix"/lib/*/orvane 2>/dev/null | head -n 1)
[ -n "$library" ] && [ -f "$library/libOrvaneProgram.so" ] || { echo "program library not installed" >&2; exit 1; }
[ -x "$library/glowkeeper" ] || { echo "watchdog not installed beside the program library" >&2; exit 1; }
# The installed program runs from there and answers without starting.
"$program" --version | grep -q '^Orvane ' || { echo "the installed program does not run" >&2; exit 1; }
echo "desktop entry valid: Exec=$program"
