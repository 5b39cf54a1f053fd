# A configuration script with a syntax error, or one that calls a function that does not exist,
# stops only itself: the viewer starts, runs and quits normally.
source "$(dirname "$0")/lib.sh"

run_with_input_script() {
  local script="$1"
  e2e_enter_workdir
  mkdir -p Data/Scripts
  printf '%s\n' "$script" >Data/Scripts/Input_Configuration.lua
  printf '%s\n' "SetWindowedMode(true)" "NoSuchFunction()" >Data/Scripts/Renderer_Configuration.lua
  e2e_start
  e2e_find_window
e2e_wait_running
  e2e_press Escape
  e2e_wait_exit 20
  e2e_expect_status 0
  e2e_expect_normal_log
  cd /
  e2e_cleanup
  E2E_WORKDIR=""
}

run_with_input_script "CheckKey(0x01"
run_with_input_script "CheckKey(0x01) NoSuchFunction(1, 2)"
run_with_input_script "while true do end"
echo "PASS"
