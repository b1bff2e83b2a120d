#!/usr/bin/env bash
# The installed station, run by ctest:
#
#   moved-prefix     installed and then moved to another directory, the demo runs headless from
#                    there and makes its screenshots, and nothing it loads comes from the build or
#                    source tree: every run-time search path is relative to $ORIGIN.
#   calib-component  the component "calib" holds libCalib.so and its package files only.
#
# The environment gives CMAKE, READELF, BUILD_DIR, SOURCE_DIR and the installed directories
# BINDIR, LIBDIR, INCLUDEDIR, SYSTEMDIR and DEMODIR (relative to the prefix).
. "$(dirname "$0")/TestShell.sh"

expect_file() {
  [ -f "$1" ] || fail "missing $1"
}

# Every RUNPATH or RPATH entry of the ELF files under $1 starts with $ORIGIN.
expect_relative_search_paths() {
  local file entry paths entries
  while IFS= read -r -d '' file; do
    [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
    while IFS= read -r paths; do
      IFS=: read -ra entries <<<"$paths:"
      for entry in "${entries[@]}"; do
        case "$entry" in
          '$ORIGIN'|'$ORIGIN/'*) ;;
          *) fail "${file#"$1"/} searches '$entry' (in $paths)" ;;
        esac
      done
    done < <("$READELF" --dynamic "$file" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p')
  done < <(find "$1" -type f -print0)
}

moved_prefix() {
  "$CMAKE" --install "$BUILD_DIR" --prefix "$tmp/staged" >"$tmp/install.log" ||
    { cat "$tmp/install.log"; fail "cmake --install"; return; }
  mv "$tmp/staged" "$tmp/moved"
  local prefix=$tmp/moved
  local f
  for f in Calib ledserver kovamsg kovaini kovacard kovademo kovarecords; do
    expect_file "$prefix/$BINDIR/$f"
  done
  for f in Tesvar.so Ferroxan.so ModbusCard.so PasswordBox.so PasswordBox.users libQuorvel.so; do
    expect_file "$prefix/$SYSTEMDIR/$f"
  done
  for f in config/sysKOVA.ini config/DevID.ini config/Calib.ini config/MonDev.ini \
           modules/Ferroxan.ini; do
    expect_file "$prefix/$DEMODIR/$f"
  done
  expect_relative_search_paths "$prefix"

  # A clean environment without a display: nothing points into the build tree, the demo runs
  # headless, its windows directory is its own. The dynamic loader reports every object each
  # process loads.
  mkdir "$tmp/home" "$tmp/loader"
  mkdir -m 700 "$tmp/runtime"
  if ! env -i PATH="$PATH" HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" \
       KOVA_DEMO_DIR="$tmp/demo" \
       LD_DEBUG=libs LD_DEBUG_OUTPUT="$tmp/loader/trace" \
       "$prefix/$BINDIR/kovademo" >"$tmp/demo.log" 2>&1; then
    fail "kovademo from the moved prefix: $(cat "$tmp/demo.log")"
  fi
  for f in calib-config-page.png calib-calibration-page.png; do
    [ -s "$tmp/demo/screenshots/$f" ] || fail "no screenshot $f"
    grep -qF "$tmp/demo/screenshots/$f" "$tmp/demo.log" || fail "$f not reported"
  done
  # The demo declares its stations: the tool read the installed demo's files.
  if grep -q "没有配置工位信息" "$tmp/demo.log"; then
    fail "the tool found no stations: $(cat "$tmp/demo.log")"
  fi
  local loaded
  loaded=$(sed -n 's/.*calling init: //p' "$tmp"/loader/trace.* | xargs -r realpath -m | sort -u)
  for f in "$prefix/$SYSTEMDIR/Tesvar.so" "$prefix/$SYSTEMDIR/libQuorvel.so" \
           "$tmp/demo/drive-d/KOVA/system/modules/Ferroxan.so"; do
    grep -qxF "$f" <<<"$loaded" || fail "the tool did not load $f; it loaded: $loaded"
  done
  if grep -lF -e "$BUILD_DIR" -e "$SOURCE_DIR" "$tmp"/loader/trace.* >/dev/null; then
    fail "loaded from the build or source tree: $(grep -hF -e "$BUILD_DIR" -e "$SOURCE_DIR" \
      "$tmp"/loader/trace.* | head -5)"
  fi
}

calib_component() {
  "$CMAKE" --install "$BUILD_DIR" --component calib --prefix "$tmp/calib" >/dev/null
  local prefix=$tmp/calib
  expect_file "$prefix/$LIBDIR/libCalib.so"
  expect_file "$prefix/$LIBDIR/cmake/Calib/CalibConfig.cmake"
  expect_file "$prefix/$LIBDIR/pkgconfig/calib.pc"
  expect_file "$prefix/$INCLUDEDIR/calib/Calib.h"
  [ ! -e "$prefix/$BINDIR" ] || fail "the calib component installs $BINDIR"
  [ ! -e "$prefix/$SYSTEMDIR" ] || fail "the calib component installs $SYSTEMDIR"
  expect_relative_search_paths "$prefix"
}

case "${1:-}" in
  moved-prefix) moved_prefix ;;
  calib-component) calib_component ;;
  *) echo "usage: $0 moved-prefix|calib-component" >&2; exit 2 ;;
esac
verdict
