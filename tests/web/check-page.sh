#!/usr/bin/env bash
# Opens the web page (from `make web`) in headless Chromium, drives it through
# its own buttons and compares the bowls it shows with the native runner on
# every bundled lesson; see check-page.mjs for the cases.
#
#   bash tests/web/check-page.sh NATIVE_BUILD [WEB_BUILD]
#
# NATIVE_BUILD is a native build folder with runner/vintrop-run built in it,
# WEB_BUILD the WebAssembly one (default build-web). Prints one line per
# difference and a summary; exits 0 when the page agrees, 1 when it does not,
# 64 on bad arguments or a missing build or node, 77 (skipped) without
# Chromium: the page is then left unchecked, which is the same as on a machine
# without a browser, not a fault of the page. CHROMIUM names another binary.
set -u

usage="usage: bash tests/web/check-page.sh NATIVE_BUILD [WEB_BUILD]"
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "$usage" >&2
    exit 64
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
# Folders given relative to where the script is called from.
absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
native="$(absolute "$1")/runner/vintrop-run"
page="$(absolute "${2:-$root/build-web}")/page"
for f in "$native" "$page/index.html" "$page/vintrop-engine.js"; do
    if [ ! -f "$f" ]; then
        echo "check-page: $f is missing (native: cmake --build NATIVE_BUILD --target vintrop-run; web: make web)" >&2
        exit 64
    fi
done
if ! command -v node >/dev/null; then
    echo "check-page: node is missing (make web installs it)" >&2
    exit 64
fi
export CHROMIUM=${CHROMIUM:-chromium}
if ! command -v "$CHROMIUM" >/dev/null; then
    echo "check-page: skipped: $CHROMIUM is missing (apt-get install chromium)" >&2
    exit 77
fi

exec node "$root/tests/web/check-page.mjs" "$native" "$page"
