#!/usr/bin/env bash
# A window tick-rate benchmark (the history window by default, or the one
# named second, e.g. bench_ui_graphs) with a screen reader's
# accessibility bus running: a real X server (Xvfb), a D-Bus session,
# at-spi2-core's bus and registry, and Qt's accessibility forced on. Qt only
# talks to the bus on the xcb platform, so this cannot run offscreen.
# Usage: bash bench/accessibility.sh BUILD-DIR [BENCHMARK]   (BUILD-DIR: a `make bench` build, build-bench)
set -euo pipefail
BUILD=${1:-build-bench}
BENCH="$BUILD/bench/${2:-bench_ui_history}"
[ -x "$BENCH" ] || { echo "no $BENCH: run make bench first" >&2; exit 1; }
SUDO=$([ "$(id -u)" = 0 ] || echo sudo)
missing=$(for p in xvfb dbus at-spi2-core; do dpkg -s $p >/dev/null 2>&1 || echo $p; done)
if [ -n "$missing" ]; then
    $SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $XVFB 2>/dev/null || true' EXIT
sleep 1

dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    sleep 1
    /usr/libexec/at-spi2-registryd >/dev/null 2>&1 &
    sleep 1
    export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    "$0" --benchmark_counters_tabular=true
' "$BENCH"
