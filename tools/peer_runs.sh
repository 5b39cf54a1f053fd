# The runs tools/compare_peers.sh is made of. Source it after viewer_session.sh, with ROOT, VIEWER,
# FLOOR, IRRLICHT (empty without the peer), RUNS and SECONDS_PER_RUN set; it defines functions only.
#
#   viewer_once MODE [MODEL [PICTURE]]   "launch_ms average_fps" of one probed run (MODEL the only
#                                        part, or the shipped equipment); COLD=1: Mesa's shader
#                                        cache starts empty
#   viewer_median MODE [MODEL [PICTURE]] the medians of RUNS runs; the first takes the picture
#   viewer_exit_once                     "first_present_ms exit_ms" of the valve, Escape sent as
#                                        soon as the window shows
#   floor_once                           the same for the floor program, which exits by itself
#   median_pairs                         per-column medians of lines of two numbers
#   irrlicht_run MODEL FRAMES            Irrlicht's "fps first_frame_ms"
#   irrlicht_picture MODEL PNG           a picture of Irrlicht's window a second into a run
#   drawn_share PNG                      per cent of the picture that is not the clear colour

WORK=""

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
median_pairs() {
  local lines
  lines="$(cat)"
  echo "$(cut -d' ' -f1 <<<"$lines" | median) $(cut -d' ' -f2 <<<"$lines" | median)"
}

# enter_work_folder [MODEL]: a fresh folder holding the viewer's Data, with MODEL as its only part.
enter_work_folder() {
  WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-peers.XXXXXX")"
  cd "$WORK"
  mkdir Data
  for folder in Effects Models Textures Scripts; do cp -r "$ROOT/Data/$folder" Data/; done
  if [[ -n "${1:-}" ]]; then
    printf 'AddComponent("%s", "%s", "", "", "", 0, 0, 0)\n' "$1" "$(basename "$1")" \
      > Data/Scripts/Equipment_Configuration.lua
  fi
  if [[ "${COLD:-0}" == 1 ]]; then
    mkdir shader-cache
    export MESA_SHADER_CACHE_DIR="$WORK/shader-cache"
  else
    unset MESA_SHADER_CACHE_DIR
  fi
}

leave_work_folder() {
  cd "$ROOT"
  rm -rf "$WORK"
  WORK=""
  unset MESA_SHADER_CACHE_DIR
}

viewer_once() {
  local mode="$1" model="${2:-}" picture="${3:-}" result
  enter_work_folder "$model"
  result="$(session_probe_run "$VIEWER" "$mode" "$SECONDS_PER_RUN" "$picture")" || exit 1
  echo "$(cut -d' ' -f1 <<<"$result") $(cut -d' ' -f3 <<<"$result")"
  leave_work_folder
}

viewer_median() {
  { viewer_once "$@"; for _ in $(seq 2 "$RUNS"); do viewer_once "$1" "${2:-}"; done; } | median_pairs
}

# Milliseconds from `start` (date +%s%N) to the first_present_ns line of present.txt.
first_present_ms() {
  local first
  first="$(sed -n 's/^first_present_ns //p' present.txt 2>/dev/null)"
  [[ -n "$first" ]] && echo "$(( (first - $1) / 1000000 ))" || echo "-"
}

viewer_exit_once() {
  local start pid window end
  enter_work_folder
  start="$(date +%s%N)"
  "$VIEWER" "$PWD/present.txt" >/dev/null 2>&1 &
  pid=$!
  window="$(session_find_window "$pid")" && xdotool key --window "$window" Escape 2>/dev/null
  wait "$pid" || true
  end="$(date +%s%N)"
  echo "$(first_present_ms "$start") $(( (end - start) / 1000000 ))"
  leave_work_folder
}

floor_once() {
  local start end
  enter_work_folder
  start="$(date +%s%N)"
  "$FLOOR" "$PWD/present.txt" >/dev/null 2>&1 || true
  end="$(date +%s%N)"
  echo "$(first_present_ms "$start") $(( (end - start) / 1000000 ))"
  leave_work_folder
}

irrlicht_run() {
  "$IRRLICHT" "$1" "$2" 2>/dev/null |
    sed -n 's/.*first frame at \([0-9.]*\) ms, [0-9]* frames at \([0-9.]*\) fps.*/\2 \1/p'
}

# Irrlicht's window carries no process id, so it is the visible window that was not there before.
irrlicht_picture() {
  local before window="" pid
  before="$(xdotool search --onlyvisible --name '' 2>/dev/null || true)"
  "$IRRLICHT" "$1" 100000 >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --name '' 2>/dev/null | grep -vxF "$before" | head -n 1 || true)"
    [[ -n "$window" ]] && break
    sleep 0.05
  done
  sleep 1
  [[ -n "$window" ]] && session_window_picture "$window" "$2"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# Both programs clear to (64, 64, 64).
drawn_share() {
  [[ -s "$1" ]] || { echo "-"; return; }
  convert "$1" -format %c histogram:info:- 2>/dev/null |
    awk '{ n = $1 + 0; total += n } /#404040/ { clear = n } END { if (total > 0) printf "%.1f", 100 * (total - clear) / total; else print "-" }'
}
