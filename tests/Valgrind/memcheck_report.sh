# memcheck_report.sh XML OBJECT...: reads memcheck's XML report and fails (exit status 1) on
# every fault of ours, printing each; OBJECT names our executables and libraries.
#
#  - A definite leak is ours when any frame of its allocation stack lies in one of our objects.
#    A definite-leak record whose stack has no frame from our code (a library's thread, its
#    static initialisation) is listed as ignored. Leaks that a library makes and keeps inside
#    itself while we call it are suppressed by name in memcheck.supp.
#  - Any other error (invalid read or write, bad free, use of uninitialised memory, ...) is ours
#    when the innermost frame outside the C and C++ runtimes and Valgrind's own replacements lies
#    in one of our objects. Errors inside other libraries (the dynamic loader's reads past a
#    string, Mesa's uninitialised padding) are listed as ignored.
# Possible, indirect and reachable leaks are not looked at: the run asks for definite ones only.
set -euo pipefail
xml="$1"
shift
ours="$(printf '%s\n' "$@")"

[[ -s "$xml" ]] || { echo "memcheck wrote no report ($xml)"; exit 1; }
grep -q '</valgrindoutput>' "$xml" || { echo "memcheck's report is incomplete ($xml)"; exit 1; }

awk -v ours="$ours" '
  BEGIN {
    n = split(ours, list, "\n")
    for (i = 1; i <= n; i++) if (list[i] != "") our_object[list[i]] = 1
    faults = 0; ignored = 0
  }
  function value(line) {
    sub(/^[^>]*>/, "", line); sub(/<.*$/, "", line)
    gsub(/&lt;/, "<", line); gsub(/&gt;/, ">", line); gsub(/&quot;/, "\"", line); gsub(/&amp;/, "\&", line)
    return line
  }
  function runtime(obj) {
    return obj ~ /vgpreload_/ || obj ~ /\/libc\.so/ || obj ~ /\/libstdc\+\+\.so/ || obj ~ /\/libm\.so/ ||
           obj ~ /\/ld-linux/
  }
  /<error>/ { in_error = 1; kind = ""; what = ""; frames = 0; stack_done = 0; in_stack = 0; next }
  in_error && /<kind>/ { kind = value($0); next }
  in_error && /<text>/ && what == "" { what = value($0); next }
  in_error && /<what>/ && what == "" { what = value($0); next }
  in_error && /<stack>/ && !stack_done { in_stack = 1; next }
  in_error && /<\/stack>/ && in_stack { in_stack = 0; stack_done = 1; next }
  in_error && in_stack && /<frame>/ { frames++; obj[frames] = "?"; fn[frames] = "???"; place[frames] = ""; file = ""; next }
  in_error && in_stack && /<obj>/ { obj[frames] = value($0); next }
  in_error && in_stack && /<fn>/ { fn[frames] = value($0); next }
  in_error && in_stack && /<file>/ { file = value($0); next }
  in_error && in_stack && /<line>/ { place[frames] = file ":" value($0); next }
  /<\/error>/ && in_error {
    in_error = 0
    mine = 0
    if (kind ~ /^Leak_/) {
      if (kind != "Leak_DefinitelyLost") next
      for (i = 1; i <= frames; i++) if (obj[i] in our_object) mine = 1
    } else {
      for (i = 1; i <= frames; i++) {
        if (runtime(obj[i])) continue
        mine = obj[i] in our_object
        break
      }
    }
    if (!mine) { ignored++; print "ignored (" kind ", outside our code): " what; next }
    faults++
    print "FAULT " kind ": " what
    for (i = 1; i <= frames; i++) print "    " fn[i] " " (place[i] != "" ? "(" place[i] ")" : "[" obj[i] "]")
  }
  END {
    print faults " faults of ours, " ignored " records outside our code ignored"
    exit faults > 0 ? 1 : 0
  }
' "$xml"
