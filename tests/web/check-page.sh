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

source "$(dirname "$0")/../../web/builds.sh"
builds check-page tests/web/check-page.sh "page/index.html page/vintrop-engine.js" "$@"
export CHROMIUM=${CHROMIUM:-chromium}
if ! command -v "$CHROMIUM" >/dev/null; then
    echo "check-page: skipped: $CHROMIUM is missing (apt-get install chromium)" >&2
    exit 77
fi

exec node "$root/tests/web/check-page.mjs" "$native" "$webBuild/page"
