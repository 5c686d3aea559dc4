#!/usr/bin/env bash
# The desktop metadata: the AppStream file and the desktop entry pass their
# validators without errors, warnings or infos; the AppStream releases are the
# about box's version history, newest first with ISO dates, topped by the
# project's version; and the three files name one scenario type and one
# desktop entry.
# Usage: bash metadata.sh METAINFO DESKTOP-ENTRY MIME-DEFINITION VERSION
set -u
METAINFO=${1:?generated AppStream metainfo file}
DESKTOP=${2:?desktop entry}
MIME=${3:?shared-mime-info definition}
VERSION=${4:?project version}
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"

# --- validators ----------------------------------------------------------------
# Pedantic notes (P:) are style advice; errors, warnings and infos fail.
appstreamcli validate --no-net --no-color "$METAINFO" >"$TMP/appstream.out" 2>&1
status=$?
cat "$TMP/appstream.out"
[ "$status" = 0 ] || fail "appstreamcli validate exited with $status"
grep -qE '^[EWI]: ' "$TMP/appstream.out" && fail "appstreamcli reports errors, warnings or infos"

# Hints are advice too: Education and Science are both main categories, and
# the program belongs in both menus.
desktop-file-validate "$DESKTOP" >"$TMP/desktop.out" 2>&1
status=$?
cat "$TMP/desktop.out"
[ "$status" = 0 ] || fail "desktop-file-validate exited with $status"
grep -qE ': (error|warning): ' "$TMP/desktop.out" && fail "desktop-file-validate reports errors or warnings"

# --- releases: the about box's version history ------------------------------
sed -n 's|.*<release version="\([^"]*\)" date="\([^"]*\)".*|\1 \2|p' "$METAINFO" >"$TMP/releases"
cat >"$TMP/expected" <<'ROWS'
2.2.0 2001-01-31
2.1.1 2000-12-06
2.1.0 2000-11-25
2.0.0 2000-11-23
1.0.0 2000-11-20
ROWS
diff -u "$TMP/expected" "$TMP/releases" >"$TMP/releases.diff" ||
    fail "releases differ from the version history: $(cat "$TMP/releases.diff")"
newest=$(head -n 1 "$TMP/releases" | cut -d' ' -f1)
[ "$newest" = "$VERSION" ] || fail "newest release is '$newest', the project's version $VERSION"
grep -q '<p>Opzioni visualizza vettori e/o numeri Bowl</p>' "$METAINFO" ||
    fail "the 2.2.0 note is not the release's description"

# --- what a software centre needs to file and rate the program ---------------
for category in Education Science Physics; do
    grep -q "<category>$category</category>" "$METAINFO" || fail "category $category missing from the metadata"
done
grep -q '<content_rating type="oars-1.1"' "$METAINFO" || fail "no OARS 1.1 content rating"
grep -q '<screenshot' "$METAINFO" && fail "screenshots need public addresses the project does not have"

# --- one type, one entry --------------------------------------------------------
type=$(sed -n 's|.*<mime-type type="\([^"]*\)".*|\1|p' "$MIME")
[ "$type" = application/x-vintrop-scenario ] || fail "MIME definition declares '$type'"
grep -q '<glob pattern="\*\.vintrop"/>' "$MIME" || fail "MIME definition lacks the *.vintrop glob"
grep -qx "MimeType=\(.*;\)\?$type;.*" "$DESKTOP" || fail "desktop entry does not declare $type"
grep -qx 'Exec=vintrop %[fFuU]' "$DESKTOP" || fail "desktop entry does not pass the opened file to vintrop"
grep -q "<mediatype>$type</mediatype>" "$METAINFO" || fail "metadata does not provide $type"
id=$(sed -n 's|.*<id>\([^<]*\)</id>.*|\1|p' "$METAINFO")
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$METAINFO" ||
    fail "metadata's launchable is not $id.desktop"

finish metadata
