# shellcheck shell=bash
# Shared by the shipping tests, sourced by them: a scratch folder removed on exit, a failure
# counter, and the rule for missing tools.

# A missing tool skips the test, visibly; CI installs every tool these tests need, so there a
# missing one is a failure. $1: the tool; $2: what cannot be checked without it.
need_tool() {
  if ! command -v "$1" >/dev/null; then
    if [ -n "${CI:-}" ]; then
      echo "FAIL: $1 is not installed, so $2"
      exit 1
    fi
    echo "SKIP: $1 is not installed, so $2"
    exit 0
  fi
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
