#!/bin/bash
# ./run's first step on a machine where one of the toy's packages is
# missing: without root it stops, names the package and says how to get
# it; as root it installs that package alone. Then its choice of desktop:
# without a display it says so on standard error before the simulated
# desktop's trace. dpkg-query, apt-get, cmake and the two programs are
# stand-ins here, so nothing is installed or built for real.
#
# usage: run-deps.sh
set -u

source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
# A copy of the two scripts, which the unprivileged user below can read
# wherever the checkout lies.
here="$work/checkout"
mkdir -p "$here/scripts"
cp "$source/run" "$here/run"
cp "$source/scripts/install-deps" "$here/scripts/install-deps"
source "$(dirname "$0")/../lib/checks.sh"

mkdir "$work/bin"
# Every package is installed but the one named in $MISSING.
cat >"$work/bin/dpkg-query" <<'STUB'
#!/bin/sh
for last; do :; done
[ "$last" = "$MISSING" ] && exit 1
printf 'install ok installed'
STUB
cat >"$work/bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$APT_LOG"
STUB
chmod 755 "$work/bin/dpkg-query" "$work/bin/apt-get"
export PATH="$work/bin:$PATH" APT_LOG="$work/apt.log"

# As a user, through ./run itself: it must stop before building anything.
as_user=()
(($(id -u) == 0)) && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
status=0
MISSING=qt6-base-dev "${as_user[@]}" "$here/run" >"$work/out" 2>&1 || status=$?
[[ $status == 1 ]] || fail "./run exited with $status, expected 1"
grep -qx 'missing Debian packages: qt6-base-dev' "$work/out" || fail "the package is not named"
grep -qx '  sudo apt-get install qt6-base-dev' "$work/out" || fail "no command to install it"
grep -q 'as root, ./run installs them' "$work/out" || fail "running as root is not offered"
(($(wc -l <"$work/out") == 4)) || fail "more than the message"
[[ -e $APT_LOG ]] && fail "a user's ./run called apt-get"
echo "--- ./run as a user, qt6-base-dev missing:"
cat "$work/out"

# Nothing missing: the step says nothing.
status=0
MISSING=none "${as_user[@]}" "$here/scripts/install-deps" toy >"$work/out" 2>&1 || status=$?
[[ $status == 0 && ! -s $work/out ]] || fail "with nothing missing: status $status, $(cat "$work/out")"

# The tests' packages are no business of ./run.
status=0
MISSING=wine64 "${as_user[@]}" "$here/scripts/install-deps" toy >"$work/out" 2>&1 || status=$?
[[ $status == 0 ]] || fail "./run's step asks for wine64: $(cat "$work/out")"
status=0
MISSING=wine64 "${as_user[@]}" "$here/scripts/install-deps" all >"$work/out" 2>&1 || status=$?
grep -q 'then run ./test again' "$work/out" && [[ $status == 1 ]] || fail "./test's step does not ask for wine64"

# As root, the missing package alone is installed.
if (($(id -u) == 0)); then
  MISSING=fonts-ipafont-gothic "$here/scripts/install-deps" toy >"$work/out" 2>&1 ||
    fail "as root: $(cat "$work/out")"
  grep -qx 'apt-get install -y -q --no-install-recommends fonts-ipafont-gothic' "$APT_LOG" ||
    fail "as root: apt-get was not asked for the font: $(cat "$APT_LOG" 2>&1)"
fi

# Nothing missing and the build a stand-in: which program ./run starts, and
# what it says first.
cat >"$work/bin/cmake" <<'STUB'
#!/bin/sh
echo "cmake $*" >>"$CMAKE_LOG"
STUB
mkdir -p "$here/build/run/src/platform/qt"
for prog in build/run/kelvory-sim build/run/src/platform/qt/kelvory; do
  printf '#!/bin/sh\necho "%s $*"\n' "${prog##*/}" >"$here/$prog"
  chmod 755 "$here/$prog"
done
chmod 755 "$work/bin/cmake"
export CMAKE_LOG="$work/cmake.log"
run_with() { # env settings..., then -- and ./run's arguments
  local settings=()
  while [[ $1 != -- ]]; do settings+=("$1") && shift; done
  shift
  rm -f "$CMAKE_LOG"
  env -u DISPLAY -u WAYLAND_DISPLAY MISSING=none "${settings[@]}" "$here/run" "$@" \
    >"$work/out" 2>"$work/err" || fail "./run $*: exit status $?: $(cat "$work/err")"
}
run_with -- -x 1
grep -qx 'kelvory-sim -x 1' "$work/out" || fail "no display: not the simulated desktop: $(cat "$work/out")"
grep -q 'no display found' "$work/err" || fail "no display: not said"
grep -q 'simulated desktop kelvory-sim runs instead' "$work/err" || fail "no display: the simulated desktop is not named"
grep -q 'graphical session' "$work/err" && grep -q 'set DISPLAY' "$work/err" ||
  fail "no display: no word on how to start the real toy"
grep -q -- '--sim' "$work/err" || fail "no display: --sim is not named"
grep -q -- '--target kelvory-sim' "$CMAKE_LOG" || fail "no display: kelvory-sim not built: $(cat "$CMAKE_LOG")"
echo "--- ./run without a display, on standard error:"
cat "$work/err"
# The message comes before the trace, on one terminal.
env -u DISPLAY -u WAYLAND_DISPLAY MISSING=none "$here/run" >"$work/both" 2>&1
[[ $(grep -n -m1 'no display found' "$work/both" | cut -d: -f1) -lt \
  $(grep -n -m1 '^kelvory-sim' "$work/both" | cut -d: -f1) ]] ||
  fail "the message does not come before the trace: $(cat "$work/both")"
for display in DISPLAY=:5 WAYLAND_DISPLAY=wayland-0; do
  run_with "$display" -- -x
  grep -qx 'kelvory -x' "$work/out" || fail "$display: not the real toy: $(cat "$work/out")"
  [[ -s $work/err ]] && fail "$display: says $(cat "$work/err")"
  grep -q -- '--target kelvory$' "$CMAKE_LOG" || fail "$display: kelvory not built"
done
for display in DISPLAY= DISPLAY=:5; do
  run_with "$display" -- --sim -y
  grep -qx 'kelvory-sim -y' "$work/out" || fail "--sim, $display: $(cat "$work/out")"
  [[ -s $work/err ]] && fail "--sim, $display: says $(cat "$work/err")"
done

finish packaging.run-deps
