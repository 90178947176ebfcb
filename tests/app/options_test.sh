#!/bin/sh
# gang-adapter's command line as a shell sees it: --help prints the options
# and exits 0; an unknown option or a bad --port value prints the usage on
# stderr and exits 2.  Usage: options_test.sh <gang-adapter>
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
echo "gang-adapter options: ok"
