# The scene report at start and the "World Entity Report" at exit list the IDs the order of
# construction gives: the scene root 0, the camera 1, the panel 2, its eight labels and four
# buttons each followed by its caption 3 to 26, then each of the five parts followed by its
# outline 27 to 36. The panel's cursor is drawn by the panel and takes no ID. Shutdown deletes
# the camera and the scene root; the panel with its controls and the parts are left to the
# registry, which lists them at exit.
source "$(dirname "$0")/lib.sh"
e2e_launch
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log

expected_scene="CNode : ID : 0"
for part in 27 29 31 33 35; do
  expected_scene+=$'\n'"+-CNode : ID : $part"$'\n'"| +-CEntity : ID : $((part + 1))"
done
scene="$(sed -n '/^CNode : ID : 0$/,/^$/p' Log.txt | sed '/^$/d')"
[[ "$scene" == "$expected_scene" ]] ||
  e2e_fail "the scene report is"$'\n'"$scene"$'\n'"expected"$'\n'"$expected_scene"

expected_report="World Entities Remaining: 35"
for id in $(seq 2 36); do
  expected_report+=$'\n'" ID == $id"
done
report="$(awk '/^World Entities Remaining: /{on = 1} on && /^-+$/{exit} on' Log.txt)"
[[ "$report" == "$expected_report" ]] ||
  e2e_fail "the World Entity Report lists"$'\n'"$report"$'\n'"expected"$'\n'"$expected_report"
e2e_expect_log_in_order \
  "Main     | Exiting the message loop." \
  " -            World Entity Report               - " \
  "World Entities Remaining: 35" \
  "Log      | Closing log file."
echo "PASS"
