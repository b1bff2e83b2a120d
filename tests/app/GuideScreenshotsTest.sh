#!/usr/bin/env bash
# The technician's guide's pictures: scripts/screenshots takes them all afresh on a demo station
# of its own (a blank or unwritable picture fails it), every picture the guide shows is among them
# as a PNG, and every committed picture is one the tour still takes.
#
# The environment gives BUILD_DIR and SOURCE_DIR.
. "$SOURCE_DIR/tests/install/TestShell.sh"

if ! BUILD_DIR="$BUILD_DIR" "$SOURCE_DIR/scripts/screenshots" "$tmp/images" >"$tmp/log" 2>&1; then
  cat "$tmp/log" >&2
  fail "scripts/screenshots"
  verdict
fi
is_png() {
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]
}
shown=$(grep -o 'images/[a-z0-9-]*\.png' "$SOURCE_DIR/docs/guide.md" | sort -u)
[ -n "$shown" ] || fail "the guide shows no pictures"
for picture in $shown; do
  is_png "$tmp/$picture" || fail "the tour did not take $picture"
  [ -f "$SOURCE_DIR/docs/$picture" ] || fail "$picture is not committed"
done
for committed in "$SOURCE_DIR"/docs/images/*.png; do
  [ -f "$tmp/images/$(basename "$committed")" ] || fail "$(basename "$committed") is no longer taken"
done
verdict
