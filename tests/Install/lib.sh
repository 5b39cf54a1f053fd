# Shared helpers of the install and package tests. Source it from a test script; it expects
# TESS_BUILD_DIR (a built tree) and TESS_SOURCE_DIR (the repository root) in the environment.
#
#   t_enter_tmpdir            fresh temporary directory (T_TMP, removed at exit), made current
#   t_install COMPONENT DIR   cmake --install of one component ("viewer", "development") into DIR
#   t_fail MESSAGE            report a failure and stop
#   t_expect_eq ACTUAL EXPECTED WHAT, t_expect_file PATH, t_expect_no_file PATH,
#   t_expect_contains TEXT NEEDLE WHAT, t_expect_lacks TEXT NEEDLE WHAT
#   t_case NAME               announce the next case (shown in the output of a failure)
set -euo pipefail

: "${TESS_BUILD_DIR:?TESS_BUILD_DIR must name a built tree}"
: "${TESS_SOURCE_DIR:?TESS_SOURCE_DIR must name the repository root}"

T_TMP=""
T_CASE="setup"

t_cleanup() {
  if [[ -n "$T_TMP" ]]; then
    chmod -R u+w "$T_TMP" 2>/dev/null || true
    rm -rf "$T_TMP"
  fi
}

t_enter_tmpdir() {
  T_TMP="$(mktemp -d "${TMPDIR:-/tmp}/tess-install-test.XXXXXX")"
  trap t_cleanup EXIT
  cd "$T_TMP"
}

t_case() {
  T_CASE="$1"
  echo "--- $T_CASE"
}

t_fail() {
  echo "FAIL [$T_CASE]: $*" >&2
  exit 1
}

t_install() {
  local component="$1" prefix="$2"
  cmake --install "$TESS_BUILD_DIR" --prefix "$prefix" --component "$component" >"$T_TMP/install-$component.log" 2>&1 ||
    { cat "$T_TMP/install-$component.log" >&2; t_fail "installing the $component component failed"; }
}

t_expect_eq() {
  [[ "$1" == "$2" ]] || t_fail "$3: got '$1', expected '$2'"
}

t_expect_file() {
  [[ -f "$1" ]] || t_fail "$1 is missing"
}

t_expect_no_file() {
  [[ ! -e "$1" && ! -L "$1" ]] || t_fail "$1 should not exist"
}

t_expect_contains() {
  [[ "$1" == *"$2"* ]] || t_fail "$3 lacks '$2' in: $1"
}

t_expect_lacks() {
  [[ "$1" != *"$2"* ]] || t_fail "$3 should not contain '$2' in: $1"
}
