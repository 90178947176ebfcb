#!/bin/sh
# gang-adapter's command line as a shell sees it: --help prints the options
# and exits 0; an unknown option or a bad --port value prints the usage on
# stderr and exits 2; a --station job that cannot be read names it and exits
# 2.  Usage: options_test.sh <gang-adapter>
program="$1"
fail() { echo "FAIL: $*"; exit 1; }

out="$("$program" --help)" || fail "--help exited $?"
echo "$out" | grep -q -- "--port <BASE|/dev/parportN|auto>" || fail "--help lists no --port: $out"

for args in "--bogus" "--port zz" "--port FBFE" "--port"; do
  # shellcheck disable=SC2086 # the words are the arguments
  err="$("$program" $args 2>&1 >/dev/null)"
  status=$?
  [ "$status" -eq 2 ] || fail "'$args' exited $status"
  echo "$err" | grep -q "^Usage: " || fail "'$args' printed no usage: $err"
done
echo "$out" | grep -q -- "--station <JOB>" || fail "--help lists no --station: $out"
# A job that cannot be read: its reason on stderr, status 2, no window
# (without a display, no box either).
err="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --station /nonexistent/line3.job 2>&1 >/dev/null)"
status=$?
[ "$status" -eq 2 ] || fail "--station of a missing job exited $status"
echo "$err" | grep -q "/nonexistent/line3.job" || fail "--station printed no reason: $err"
echo "gang-adapter options: ok"
