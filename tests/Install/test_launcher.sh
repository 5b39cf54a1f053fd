#!/usr/bin/env bash
# The installed launcher, bin/rigwright: where it runs the program, how it builds Data in the
# per-user working directory, what it keeps of the user's own files, and the exit status. The
# program is replaced by a stand-in that reports its working directory, its arguments and what
# it reads through Data, so no display is needed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
t_enter_tmpdir

# A prefix with a space: every path in the launcher must be quoted.
PREFIX="$T_TMP/install prefix"
t_install viewer "$PREFIX"
LAUNCHER="$PREFIX/bin/rigwright"
INSTALLED_DATA="$PREFIX/share/rigwright/Data"
REPORT="$T_TMP/report"

cat >"$PREFIX/lib/rigwright/rigwright" <<'STANDIN'
#!/bin/sh
{
  echo "cwd=$(pwd -P)"
  echo "args=$#:$*"
  echo "input=$(cat Data/Scripts/Input_Configuration.lua | head -c 64 | tr '\n' ' ')"
} >"$REPORT"
echo "written by the program" >Log.txt
if [ -n "${STANDIN_SCREENSHOT:-}" ]; then
  echo "$STANDIN_SCREENSHOT" >screen_shot_100001.bmp
fi
exit "${STANDIN_STATUS:-0}"
STANDIN
chmod +x "$PREFIX/lib/rigwright/rigwright"
export REPORT

# Runs the launcher with a clean environment plus the given assignments; LAUNCH_STATUS holds
# its exit status and LAUNCH_ERR its standard error.
launch() {
  rm -f "$REPORT"
  LAUNCH_STATUS=0
  LAUNCH_ERR="$(env -i PATH="$PATH" REPORT="$REPORT" "$@" 2>&1 >/dev/null)" || LAUNCH_STATUS=$?
}

report_value() {
  [[ -f "$REPORT" ]] || t_fail "the program did not run (launcher said: $LAUNCH_ERR)"
  sed -n "s/^$1=//p" "$REPORT"
}

t_case "runs the program in XDG_STATE_HOME/rigwright, created on first use"
STATE="$T_TMP/state"
launch XDG_STATE_HOME="$STATE" HOME="$T_TMP/unused-home" "$LAUNCHER"
t_expect_eq "$LAUNCH_STATUS" 0 "exit status"
t_expect_eq "$(report_value cwd)" "$STATE/rigwright" "working directory"
t_expect_file "$STATE/rigwright/Log.txt"
[[ ! -e "$T_TMP/unused-home" ]] || t_fail "HOME was used although XDG_STATE_HOME is set"

t_case "Data resolves to every installed file"
while IFS= read -r -d '' file; do
  relative="${file#"$INSTALLED_DATA"/}"
  linked="$STATE/rigwright/Data/$relative"
  [[ -L "$linked" ]] || t_fail "Data/$relative is not a link to the installed file"
  t_expect_eq "$(readlink -f "$linked")" "$(readlink -f "$file")" "target of Data/$relative"
done < <(find "$INSTALLED_DATA" -type f -print0)
[[ -d "$STATE/rigwright/Data/Scripts" && ! -L "$STATE/rigwright/Data/Scripts" ]] ||
  t_fail "Data/Scripts must be a real directory, so that a user can put files of their own in it"
t_expect_contains "$(report_value input)" "$(head -c 20 "$INSTALLED_DATA/Scripts/Input_Configuration.lua" | tr '\n' ' ')" \
  "the installed input script read through Data"

t_case "passes the program's exit status and arguments through"
launch XDG_STATE_HOME="$STATE" STANDIN_STATUS=7 "$LAUNCHER" /one "/two words"
t_expect_eq "$LAUNCH_STATUS" 7 "exit status"
t_expect_eq "$(report_value args)" "2:/one /two words" "arguments"

t_case "hands file names over absolute, from the folder the user started in; options as they are"
mkdir -p "$T_TMP/started here"
(cd "$T_TMP/started here" && launch XDG_STATE_HOME="$STATE" "$LAUNCHER" --help pump.step sub/a.lua /abs/b.stl -- -odd.stl &&
  t_expect_eq "$(report_value args)" \
    "6:--help $T_TMP/started here/pump.step $T_TMP/started here/sub/a.lua /abs/b.stl -- $T_TMP/started here/-odd.stl" \
    "arguments")

t_case "keeps the screenshots of earlier runs, which the next run would overwrite"
launch XDG_STATE_HOME="$STATE" STANDIN_SCREENSHOT="first run" "$LAUNCHER"
touch -d "2031-02-03 04:05:06" "$STATE/rigwright/Log.txt"
launch XDG_STATE_HOME="$STATE" STANDIN_SCREENSHOT="second run" "$LAUNCHER"
t_expect_eq "$(cat "$STATE/rigwright/Screenshots/2031-02-03_04-05-06/screen_shot_100001.bmp")" "first run" \
  "the first run's screenshot"
t_expect_eq "$(cat "$STATE/rigwright/screen_shot_100001.bmp")" "second run" "the second run's screenshot"
touch -d "2031-02-03 04:05:06" "$STATE/rigwright/Log.txt"
launch XDG_STATE_HOME="$STATE" "$LAUNCHER"
t_expect_eq "$(cat "$STATE/rigwright/Screenshots/2031-02-03_04-05-06-2/screen_shot_100001.bmp")" "second run" \
  "a second set from the same second"
t_expect_no_file "$STATE/rigwright/screen_shot_100001.bmp"

t_case "defaults to ~/.local/state/rigwright without XDG_STATE_HOME"
launch HOME="$T_TMP/home" "$LAUNCHER"
t_expect_eq "$LAUNCH_STATUS" 0 "exit status"
t_expect_eq "$(report_value cwd)" "$T_TMP/home/.local/state/rigwright" "working directory"

t_case "ignores a relative XDG_STATE_HOME"
mkdir -p "$T_TMP/cwd"
(cd "$T_TMP/cwd" && launch XDG_STATE_HOME="relative/state" HOME="$T_TMP/home2" "$LAUNCHER" &&
  t_expect_eq "$(report_value cwd)" "$T_TMP/home2/.local/state/rigwright" "working directory")
[[ ! -e "$T_TMP/cwd/relative" ]] || t_fail "a relative XDG_STATE_HOME was created"

t_case "keeps the user's own script in place of the installed one"
OWN="$STATE/rigwright/Data/Scripts/Input_Configuration.lua"
rm "$OWN"
echo "-- my own input configuration" >"$OWN"
launch XDG_STATE_HOME="$STATE" "$LAUNCHER"
t_expect_eq "$LAUNCH_STATUS" 0 "exit status"
[[ -f "$OWN" && ! -L "$OWN" ]] || t_fail "the user's script was replaced"
t_expect_eq "$(cat "$OWN")" "-- my own input configuration" "the user's script"
t_expect_contains "$(report_value input)" "-- my own input configuration" "what the program read"
[[ -L "$STATE/rigwright/Data/Scripts/Renderer_Configuration.lua" ]] ||
  t_fail "the other scripts are no longer links to the installed ones"

t_case "follows an upgrade: removed files lose their links, added files gain one"
mv "$INSTALLED_DATA/Scripts/Renderer_Configuration.lua" "$T_TMP/moved.lua"
echo "-- added by an upgrade" >"$INSTALLED_DATA/Scripts/Added.lua"
ln -s "$T_TMP/nowhere/mine.lua" "$STATE/rigwright/Data/Scripts/Dangling_Of_My_Own.lua"
launch XDG_STATE_HOME="$STATE" "$LAUNCHER"
t_expect_eq "$LAUNCH_STATUS" 0 "exit status"
t_expect_no_file "$STATE/rigwright/Data/Scripts/Renderer_Configuration.lua"
[[ -L "$STATE/rigwright/Data/Scripts/Added.lua" ]] || t_fail "no link to the added file"
[[ -L "$STATE/rigwright/Data/Scripts/Dangling_Of_My_Own.lua" ]] ||
  t_fail "a link the user made was removed"
mv "$T_TMP/moved.lua" "$INSTALLED_DATA/Scripts/Renderer_Configuration.lua"
rm "$INSTALLED_DATA/Scripts/Added.lua"

t_case "moves links from another installation over to this one"
OTHER="$T_TMP/other prefix/share/rigwright/Data/Scripts"
mkdir -p "$OTHER"
echo "-- from the other installation" >"$OTHER/Renderer_Configuration.lua"
ln -sfn "$OTHER/Renderer_Configuration.lua" "$STATE/rigwright/Data/Scripts/Renderer_Configuration.lua"
launch XDG_STATE_HOME="$STATE" "$LAUNCHER"
t_expect_eq "$(readlink -f "$STATE/rigwright/Data/Scripts/Renderer_Configuration.lua")" \
  "$(readlink -f "$INSTALLED_DATA/Scripts/Renderer_Configuration.lua")" "target of the renderer script"

t_case "leaves a Data that is the user's own link alone"
mkdir -p "$T_TMP/my-data/Scripts" "$T_TMP/linked-state/rigwright"
echo "-- from my data" >"$T_TMP/my-data/Scripts/Input_Configuration.lua"
ln -s "$T_TMP/my-data" "$T_TMP/linked-state/rigwright/Data"
launch XDG_STATE_HOME="$T_TMP/linked-state" "$LAUNCHER"
t_expect_eq "$LAUNCH_STATUS" 0 "exit status"
t_expect_contains "$(report_value input)" "-- from my data" "what the program read"
t_expect_eq "$(find "$T_TMP/my-data" -type l | wc -l)" 0 "links made inside the user's data"

t_case "works when started through a link, from another directory"
ln -s "$LAUNCHER" "$T_TMP/rigwright-link"
(cd / && launch XDG_STATE_HOME="$STATE" "$T_TMP/rigwright-link" &&
  t_expect_eq "$LAUNCH_STATUS" 0 "exit status" &&
  t_expect_eq "$(report_value cwd)" "$STATE/rigwright" "working directory")

t_case "fails with a message, without running the program, when no working directory can be made"
echo "a file, not a directory" >"$T_TMP/blocker"
launch XDG_STATE_HOME="$T_TMP/blocker/state" "$LAUNCHER"
[[ "$LAUNCH_STATUS" != 0 ]] || t_fail "the launcher reported success"
[[ ! -f "$REPORT" ]] || t_fail "the program ran anyway"
t_expect_contains "$LAUNCH_ERR" "cannot create the working directory" "the launcher's message"

t_case "fails with a message when neither XDG_STATE_HOME nor HOME is set"
launch "$LAUNCHER"
[[ "$LAUNCH_STATUS" != 0 ]] || t_fail "the launcher reported success"
[[ ! -f "$REPORT" ]] || t_fail "the program ran anyway"
t_expect_contains "$LAUNCH_ERR" "neither XDG_STATE_HOME nor HOME is set" "the launcher's message"

t_case "fails with a message when the program is missing"
mv "$PREFIX/lib/rigwright/rigwright" "$T_TMP/program"
launch XDG_STATE_HOME="$STATE" "$LAUNCHER"
mv "$T_TMP/program" "$PREFIX/lib/rigwright/rigwright"
[[ "$LAUNCH_STATUS" != 0 ]] || t_fail "the launcher reported success"
t_expect_contains "$LAUNCH_ERR" "is missing" "the launcher's message"

echo "launcher: all cases passed"
