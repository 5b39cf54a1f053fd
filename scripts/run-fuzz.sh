#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UBSan, in their own build directory)
# and runs each for the given number of seconds:
#
#     scripts/run-fuzz.sh [seconds per target]      (default 60)
#
# Each target starts from seeds made of the real files (Data/, tests/data/, fuzz/seeds/) and
# the inputs kept in tests/data/fuzz-regressions/<target>/, and keeps what it learns in a
# corpus under the build directory, so a later run goes on from there. An input that crashes,
# hangs (longer than FUZZ_TIMEOUT seconds), leaks or breaks a check is written to
# <build>/fuzz-work/artifacts/<target>/; the script then fails and says what to do with it.
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_TARGETS (names to run, default all),
# FUZZ_TIMEOUT (seconds per input, default 10), FUZZ_RSS_LIMIT_MB (default 3072).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_PER_TARGET="${1:-60}"
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
WORK="$BUILD/fuzz-work"
TIMEOUT="${FUZZ_TIMEOUT:-10}"
RSS_LIMIT_MB="${FUZZ_RSS_LIMIT_MB:-3072}"
ALL_TARGETS=(model_loader dds_reader image_decoder effect_parser shader_assembler edge_mesh assimp_importer cad_reader)
read -r -a TARGETS <<< "${FUZZ_TARGETS:-${ALL_TARGETS[*]}}"

if ! [[ "$SECONDS_PER_TARGET" =~ ^[0-9]+$ ]] || (( SECONDS_PER_TARGET < 1 )); then
  echo "usage: $0 [seconds per target]" >&2
  exit 2
fi

build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DTESS_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTESS_BUILD_TESTS=OFF -DTESS_BUILD_BENCH=OFF >/dev/null
  cmake --build "$BUILD" -j2 --target fuzz_all
}

# The exchange-format targets read a format byte before the file (see fuzz/ImportCheck.h):
#     prefixed_seeds <seed dir> <extension for byte 0> <for byte 1> ... -- <files>
# copies each file whose extension is listed, with its byte in front.
prefixed_seeds() {
  local seeds="$1" extensions=() file index extension
  shift
  while [[ "$1" != "--" ]]; do extensions+=("$1"); shift; done
  shift
  for file in "$@"; do
    extension="${file##*.}"
    extension="${extension,,}"
    [[ "$extension" == "stp" ]] && extension=step
    [[ "$extension" == "iges" ]] && extension=igs
    for index in "${!extensions[@]}"; do
      if [[ "${extensions[$index]}" == "$extension" && -f "$file" ]]; then
        { printf "\\x$(printf '%02x' "$index")"; cat "$file"; } > "$seeds/$(basename "$file")"
      fi
    done
  done
}

# Copies the seed files of a target into one fresh directory.
collect_seeds() {
  local target="$1" seeds="$2"
  rm -rf "$seeds"
  mkdir -p "$seeds"
  local patterns=()
  case "$target" in
    model_loader)  patterns=("$ROOT"/Data/Models/*.ms3d "$ROOT"/tests/data/*.ms3d) ;;
    dds_reader)    patterns=("$ROOT"/Data/Textures/*.dds "$ROOT"/tests/data/dds/*.dds) ;;
    image_decoder) patterns=("$ROOT"/Data/Textures/* "$ROOT"/tests/data/dds/*.png "$ROOT"/tests/data/dds/*.dds
                             "$ROOT"/fuzz/seeds/image/*) ;;
    effect_parser) patterns=("$ROOT"/Data/Effects/*.fx) ;;
    shader_assembler) patterns=("$ROOT"/fuzz/seeds/shader_assembler/*) ;;
    edge_mesh)     patterns=("$ROOT"/fuzz/seeds/edge_mesh/*) ;;
    assimp_importer) prefixed_seeds "$seeds" stl obj gltf glb ply -- "$ROOT"/Data/Models/* ;;
    cad_reader)    prefixed_seeds "$seeds" step igs -- "$ROOT"/fuzz/seeds/cad/* ;;
    *) echo "unknown fuzz target: $target" >&2; return 1 ;;
  esac
  patterns+=("$ROOT/tests/data/fuzz-regressions/$target"/*)
  local file
  for file in "${patterns[@]}"; do
    # Unmatched patterns stay literal; empty files add nothing.
    if [[ -f "$file" && -s "$file" ]]; then
      cp "$file" "$seeds/"
    fi
  done
}

dictionary_of() {
  case "$1" in
    effect_parser) echo "$ROOT/fuzz/effect.dict" ;;
    dds_reader)    echo "$ROOT/fuzz/dds.dict" ;;
    image_decoder) echo "$ROOT/fuzz/image.dict" ;;
  esac
}

# The exchange-format readers are third-party parsers that crash, leak and hang on some inputs
# by themselves (the engine runs them only in the import helper process for that reason). Their
# targets run in libFuzzer's fork mode, which goes on past such faults; a run fails only when a
# check of ours broke ("reader fault:") or a fault's first frame beyond the allocator lies in
# this repository's own code.
is_sandboxed_target() {
  [[ "$1" == assimp_importer || "$1" == cad_reader ]]
}

# Prints the first fault of ours in a fork-mode log, if any.
own_fault_in() {
  local log="$1"
  grep -m 1 '^reader fault:' "$log" && return 0
  awk -v root="$ROOT/" '
    /ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:/ { in_fault = 1; if ($0 ~ root "(Engine|fuzz|Applications)/") { print; exit } next }
    in_fault && /^ +#[0-9]+ / {
      if ($0 ~ /operator new|malloc|calloc|realloc/) next
      if ($0 ~ root "(Engine|fuzz|Applications)/") { print; exit }
      in_fault = 0
    }' "$log"
}

# Runs one target; prints its executions and returns non-zero when it found something.
run_target() {
  local target="$1"
  local corpus="$WORK/corpus/$target" seeds="$WORK/seeds/$target"
  local artifacts="$WORK/artifacts/$target" log="$WORK/logs/$target.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  collect_seeds "$target" "$seeds"
  local options=(-max_total_time="$SECONDS_PER_TARGET" -timeout="$TIMEOUT" -rss_limit_mb="$RSS_LIMIT_MB"
                 -artifact_prefix="$artifacts/" -print_final_stats=1)
  local dictionary
  dictionary="$(dictionary_of "$target")"
  if [[ -n "$dictionary" ]]; then
    options+=(-dict="$dictionary")
  fi
  if is_sandboxed_target "$target"; then
    options+=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
  fi
  local status=0
  "$BUILD/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  if is_sandboxed_target "$target"; then
    local own library
    own="$(own_fault_in "$log")"
    library="$(find "$artifacts" -type f | wc -l)"
    echo "$target: $library inputs that fault inside the third-party reader kept in $artifacts"
    status=0
    if [[ -n "$own" ]]; then
      echo "$target: a fault of ours: $own"
      status=1
    fi
  fi
  local executions
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  # Fork mode prints no final statistics: its last status line counts the executions.
  [[ -n "$executions" ]] || executions=$(grep -oE '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')
  printf '%-14s %12s executions, corpus %5s inputs, exit %d\n' "$target" "${executions:-?}" \
    "$(find "$corpus" -type f | wc -l)" "$status"
  if (( status != 0 )); then
    echo "---- $target found a fault; the end of its log ($log):"
    tail -n 60 "$log"
    return 1
  fi
}

build
echo "Fuzzing ${#TARGETS[@]} targets for ${SECONDS_PER_TARGET} s each"
# Two targets at a time, one per core; each one's report is printed once it has finished.
failed=()
report_dir="$WORK/reports"
mkdir -p "$report_dir"
for ((first = 0; first < ${#TARGETS[@]}; first += 2)); do
  pair=("${TARGETS[@]:first:2}")
  pids=()
  for target in "${pair[@]}"; do
    # Called as part of a list, as before, so a failing command inside does not end it early.
    { run_target "$target" || exit 1; } >"$report_dir/$target.txt" 2>&1 &
    pids+=($!)
  done
  for index in "${!pair[@]}"; do
    wait "${pids[$index]}" || failed+=("${pair[$index]}")
    cat "$report_dir/${pair[$index]}.txt"
  done
done

if (( ${#failed[@]} > 0 )); then
  echo
  echo "Faults found by: ${failed[*]}. The inputs are in $WORK/artifacts/<target>/."
  echo "Reproduce one with <build>/fuzz/fuzz_<target> <input>, fix the reader, and keep the input"
  echo "as a regression test: copy it to tests/data/fuzz-regressions/<target>/ under a name that"
  echo "says what it exercised."
  exit 1
fi
echo "No faults found."
