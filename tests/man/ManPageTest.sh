#!/usr/bin/env bash
# One manual page the way a reader gets it: man renders it without a single warning, its header
# names the program with the project's version, and the sections help2man makes from --help and
# the hand-written ones are there.
#
#   ManPageTest.sh PAGE PROGRAM VERSION SECTION...
set -euo pipefail
page=$1 program=$2 version=$3
shift 3

err=$(mktemp)
trap 'rm -f "$err"' EXIT
text=$(MANWIDTH=80 man -l --warnings "$page" 2>"$err") || { echo "FAIL: man -l $page" >&2; exit 1; }
failures=0
if [ -s "$err" ]; then
  echo "FAIL: man warns:" >&2
  cat "$err" >&2
  failures=1
fi
zcat -f "$page" | grep -qE "^\.TH [^ ]+ \"1\" .* \"$program $version\"" ||
  { echo "FAIL: no \"$program $version\" in the header: $(zcat -f "$page" | grep '^\.TH')" >&2; failures=1; }
for section in NAME SYNOPSIS DESCRIPTION "$@"; do
  grep -qx "$section" <<<"$text" || { echo "FAIL: no $section section" >&2; failures=1; }
done
grep -qE "^ *$program +- " <<<"$text" || { echo "FAIL: NAME does not name $program" >&2; failures=1; }
[ "$failures" = 0 ] && echo passed
