#!/usr/bin/env bash
# The programs carry Debian's hardening, as lintian checks it: full RELRO
# (GNU_RELRO, BIND_NOW), a stack protector and fortified calls (imports).
# Usage: bash hardening.sh BINARY...
set -u
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"
command -v readelf >/dev/null || { echo "hardening: skipped: readelf is missing" >&2; exit 77; }

for binary in "$@"; do
    name=$(basename "$binary")
    readelf -lW "$binary" | grep -q 'GNU_RELRO' || fail "$name: no GNU_RELRO segment"
    readelf -dW "$binary" | grep -Eq '\(BIND_NOW\)|\(FLAGS_1\).*NOW' || fail "$name: not bound at load (BIND_NOW)"
    imports=$(readelf --dyn-syms -W "$binary" | awk '$7 == "UND" { print $8 }')
    grep -q '^__stack_chk_fail' <<<"$imports" || fail "$name: no stack protector (__stack_chk_fail)"
    grep -Eq '^__[a-z0-9_]+_chk(@|$)' <<<"$imports" || fail "$name: no fortified calls (__*_chk)"
done
finish hardening
