#!/usr/bin/env bash
# The station's Debian package, built with cpack from the build tree and read back with dpkg-deb:
# its control data (name, version, architecture, the shared libraries it depends on, the shlibs of
# libCalib.so), its file list (the installed tree under /usr, nothing else) and its manual pages,
# read with man as installed.
#
# The environment gives CPACK, BUILD_DIR, BUILD_TYPE (lower case), VERSION and the installed
# directories BINDIR, LIBDIR, INCLUDEDIR, SYSTEMDIR, DEMODIR and MANDIR (relative to the prefix).
. "$(dirname "$0")/TestShell.sh"

if ! "$CPACK" -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  echo "FAIL: cpack" >&2
  exit 1
fi
shopt -s nullglob
debs=("$tmp"/*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "FAIL: expected one package, cpack made: ${debs[*]:-none}" >&2
  exit 1
fi
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "calib_${VERSION}-1_${arch}.deb" ] || fail "file name $(basename "$deb")"

field() {
  dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = calib ] || fail "Package: $(field Package)"
[ "$(field Version)" = "${VERSION}-1" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

# Depends: the libraries of the base system, Qt and libmodbus that the programs and modules link,
# each with the lowest version that provides what they use; none on the package's own libraries.
depends=$(field Depends)
# One "<package> (>= <version>)" a line.
sed 's/, /\n/g' <<<"$depends" >"$tmp/depends"
for package in libc6 libstdc++6 libgcc-s1 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 \
               libmodbus5; do
  awk -v p="$package" '$1 == p && $2 == "(>=" && $3 ~ /^[0-9][^)]*\)$/ { found = 1 }
                       END { exit !found }' "$tmp/depends" ||
    fail "Depends lacks a versioned $package: $depends"
done
if grep -qiE '^(calib|libquorvel)' "$tmp/depends"; then
  fail "Depends names the package's own libraries: $depends"
fi
# The records need Qt's SQLite driver, a plugin no program links.
grep -qx "libqt6sql6-sqlite" "$tmp/depends" || fail "Depends lacks libqt6sql6-sqlite: $depends"
# Sibling programs built against libCalib.so depend on this package.
grep -qxF "libCalib ${VERSION%%.*} calib (>= ${VERSION}-1)" <(dpkg-deb -I "$deb" shlibs) ||
  fail "shlibs: $(dpkg-deb -I "$deb" shlibs 2>&1)"

# The file list: exactly the installed station, owned by root.
usr=./usr
expected=(
  "$BINDIR/Calib" "$BINDIR/ledserver" "$BINDIR/kovamsg" "$BINDIR/kovaini" "$BINDIR/kovacard"
  "$BINDIR/kovademo" "$BINDIR/kovarecords"
  "$LIBDIR/libCalib.so" "$LIBDIR/libCalib.so.${VERSION%%.*}" "$LIBDIR/libCalib.so.${VERSION}"
  "$LIBDIR/cmake/Calib/CalibConfig.cmake" "$LIBDIR/cmake/Calib/CalibConfigVersion.cmake"
  "$LIBDIR/cmake/Calib/CalibTargets.cmake" "$LIBDIR/cmake/Calib/CalibTargets-${BUILD_TYPE}.cmake"
  "$LIBDIR/pkgconfig/calib.pc"
  "$INCLUDEDIR/calib/Calib.h" "$INCLUDEDIR/calib/ClientLED.h" "$INCLUDEDIR/calib/Export.h"
  "$INCLUDEDIR/calib/HardWare.h"
  "$SYSTEMDIR/Tesvar.so" "$SYSTEMDIR/Ferroxan.so" "$SYSTEMDIR/ModbusCard.so"
  "$SYSTEMDIR/PasswordBox.so" "$SYSTEMDIR/PasswordBox.users" "$SYSTEMDIR/libQuorvel.so"
  "$SYSTEMDIR/kovademo-records"
  "$DEMODIR/config/sysKOVA.ini" "$DEMODIR/config/DevID.ini" "$DEMODIR/config/Calib.ini"
  "$DEMODIR/config/MonDev.ini" "$DEMODIR/modules/Ferroxan.ini"
)
manuals=(Calib ledserver kovamsg kovaini kovacard kovademo kovarecords)
for program in "${manuals[@]}"; do
  expected+=("$MANDIR/man1/$program.1.gz")
done
dpkg-deb -c "$deb" >"$tmp/contents"
# "<mode> <owner>/<group> <size> <date> <time> <path>[ -> <target>]", directories end in "/".
awk '$1 !~ /^d/ { print $6 }' "$tmp/contents" | sort >"$tmp/files"
printf "$usr/%s\n" "${expected[@]}" | sort >"$tmp/expected"
if ! diff -u "$tmp/expected" "$tmp/files" >"$tmp/diff"; then
  fail "file list differs from the installed station:
$(cat "$tmp/diff")"
fi
if awk '$2 != "root/root"' "$tmp/contents" | grep -q .; then
  fail "files not owned by root: $(awk '$2 != "root/root"' "$tmp/contents")"
fi
for program in Calib ledserver kovamsg kovaini kovacard kovademo kovarecords; do
  grep -qE "^-rwxr-xr-x .* $usr/$BINDIR/$program\$" "$tmp/contents" ||
    fail "$program is not an executable file: $(grep "/$program" "$tmp/contents")"
done

# The pages as installed: gzipped as Debian wants them, and man reads them.
dpkg-deb -x "$deb" "$tmp/unpacked"
for program in "${manuals[@]}"; do
  page="$tmp/unpacked/usr/$MANDIR/man1/$program.1.gz"
  gzip -t "$page" 2>/dev/null || fail "$program.1.gz is not gzip"
  text=$(MANWIDTH=80 man -l "$page" 2>&1) || fail "man -l $program.1.gz: $text"
  grep -qE "^ *$program +- " <<<"$text" || fail "man -l $program.1.gz shows no NAME: $text"
done

verdict
