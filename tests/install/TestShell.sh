# What the installed-station tests share (sourced): a temporary directory removed at the end,
# failures counted and named, and the verdict.
set -euo pipefail

tmp=$(realpath "$(mktemp -d)")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
verdict() {
  [ "$failures" = 0 ] || exit 1
  echo "passed"
}
