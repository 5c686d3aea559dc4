#!/usr/bin/env bash
# What an installation puts on a teacher's machine: `cmake --install` into a
# temporary prefix must hold every file the package is made of, and there a
# *.vintrop file must have the scenario type and open in Vintrop's desktop
# entry, as the desktop's own tools (update-mime-database,
# update-desktop-database, xdg-mime) see it.
# Usage: [CMAKE=path/to/cmake] bash install_tree.sh BUILD-DIR EXAMPLES-DIR APP-ID
set -u
BUILD=${1:?build directory}
EXAMPLES=${2:?path to the examples directory}
APP_ID=${3:?desktop id of the program}
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"
PREFIX=$TMP/prefix
TYPE=application/x-vintrop-scenario

if ! "${CMAKE:-cmake}" --install "$BUILD" --prefix "$PREFIX" >"$TMP/install.log" 2>&1; then
    cat "$TMP/install.log"
    echo "FAIL: cmake --install failed"
    exit 1
fi

# --- every file, in its place and not empty ---------------------------------
expect_file() {
    [ -s "$PREFIX/$1" ] || fail "$1 is missing or empty"
}
expect_program() {
    expect_file "$1"
    [ -x "$PREFIX/$1" ] || fail "$1 is not executable"
}
expect_program bin/vintrop
expect_program bin/vintrop-run
expect_file "share/applications/$APP_ID.desktop"
expect_file share/icons/hicolor/scalable/apps/vintrop.svg
expect_file share/mime/packages/vintrop.xml
expect_file "share/metainfo/$APP_ID.metainfo.xml"
expect_file share/man/man1/vintrop.1.gz
expect_file share/man/man1/vintrop-run.1.gz
expect_file share/vintrop/examples/README.md
# Debian's machine-readable copyright file, naming the licence.
expect_file share/doc/vintrop/copyright
expect_file share/doc/vintrop/changelog.gz
grep -qx 'License: GPL-3+' "$PREFIX/share/doc/vintrop/copyright" 2>/dev/null ||
    fail "share/doc/vintrop/copyright names no GPL-3+ licence"
count=0
for example in "$EXAMPLES"/*.vintrop; do
    expect_file "share/vintrop/examples/$(basename "$example")"
    cmp -s "$example" "$PREFIX/share/vintrop/examples/$(basename "$example")" ||
        fail "installed $(basename "$example") differs from the source"
    count=$((count + 1))
done
[ "$count" -gt 0 ] || fail "no *.vintrop examples under $EXAMPLES"
# The old name of the desktop entry would show Vintrop twice in the menus.
[ -e "$PREFIX/share/applications/vintrop.desktop" ] && fail "share/applications/vintrop.desktop is installed too"

# --- a lesson file opens in Vintrop -----------------------------------------
# The installed tree first on the data path, then the system's types (for
# text/plain); no desktop session and empty user settings, so xdg-mime asks
# the shared-mime-info database and the desktop entries' caches alone.
XDG_DATA_DIRS="$PREFIX/share:/usr/share" update-mime-database "$PREFIX/share/mime" || fail "update-mime-database failed on the installed definition"
update-desktop-database "$PREFIX/share/applications" || fail "update-desktop-database failed"
mkdir -p "$TMP/home" "$TMP/config" "$TMP/data"
xdg() {
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
        -u MATE_DESKTOP_SESSION_ID -u DBUS_SESSION_BUS_ADDRESS \
        HOME="$TMP/home" XDG_CONFIG_HOME="$TMP/config" XDG_CONFIG_DIRS="$TMP/config" \
        XDG_DATA_HOME="$TMP/data" XDG_DATA_DIRS="$PREFIX/share:/usr/share" xdg-mime "$@"
}
example=$(ls "$PREFIX"/share/vintrop/examples/*.vintrop | head -n 1)
got=$(xdg query filetype "$example")
[ "$got" = "$TYPE" ] || fail "xdg-mime query filetype $(basename "$example"): '$got', expected $TYPE"
got=$(xdg query default "$TYPE")
[ "$got" = "$APP_ID.desktop" ] || fail "xdg-mime query default $TYPE: '$got', expected $APP_ID.desktop"

finish install_tree
