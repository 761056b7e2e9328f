# A test script's failed checks, counted, and its verdict. Source it before
# the first check (screen.sh does):
#   fail WHAT                     count a failed check
#   finish NAME [LOG [LINES]]     say "NAME: all checks passed" and end with
#                                 status 0; or show LOG as the program's
#                                 output (its last LINES lines, if given),
#                                 say how many checks failed and end with 1

failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

finish() {
  if ((failures)); then
    if [[ -n ${2:-} ]]; then
      echo "--- kelvory output"
      if [[ -n ${3:-} ]]; then tail -n "$3" "$2" 2>/dev/null; else cat "$2"; fi
    fi
    echo "$1: $failures check(s) failed"
    exit 1
  fi
  echo "$1: all checks passed"
  exit 0
}
