#!/bin/sh
# The reference host answers where it was started from:
#   console_answers.sh WINE_RUN HOST_EXE
# - from cmd.exe in a terminal with start /wait: the host has no standard
#   handles at all (as a windowed program started from cmd.exe on Windows),
#   so it attaches to cmd's console; the usage of a wrong option, what
#   --save did and the files a tour leaves appear there, with the exit
#   codes in %ERRORLEVEL%;
# - through a pipe (a shell, a script, ctest): the usage on standard error.
set -eu
wine_run=$1
host=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "console answers: $*" >&2
    exit 1
}

cd "$(dirname "$host")"
program=$(basename "$host")

# A host that shows a message box instead waits for a click: bounded.
status=0
timeout 40 "$wine_run" "$program" --bogus >"$work/piped.out" 2>"$work/piped.err" </dev/null || status=$?
[ "$status" -eq 1 ] || fail "--bogus through a pipe exited $status (124: no answer within 40 s)"
grep -q '^quorin_host: unknown option --bogus' "$work/piped.err" || fail "no refusal on stderr: $(cat "$work/piped.err")"
grep -q 'usage: quorin_host' "$work/piped.err" || fail "no usage on stderr: $(cat "$work/piped.err")"

# What a terminal shows of cmd.exe's console, as text: the console draws a
# skipped cell as a cursor move.
in_console() {
    timeout 40 script -qec "\"$wine_run\" cmd /c \"start /wait $program $* & echo exit=%ERRORLEVEL%\"" /dev/null </dev/null |
        sed -e 's/\x1b\[1C/ /g' -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r'
}

in_console --bogus >"$work/bogus"
grep -q 'quorin_host: unknown option --bogus' "$work/bogus" || fail "no refusal on the console: $(cat "$work/bogus")"
grep -q 'usage: quorin_host' "$work/bogus" || fail "no usage on the console: $(cat "$work/bogus")"
grep -q 'exit=1' "$work/bogus" || fail "--bogus did not exit 1: $(cat "$work/bogus")"

sites=$(printf 'Z:%s\\sites.ini' "$work" | tr / '\\')
in_console --save Main --site ftp.example.net:2121 --user siteop --sites-file "$sites" >"$work/save"
grep -q 'saved the site "Main" in' "$work/save" || fail "--save said nothing on the console: $(cat "$work/save")"
grep -q 'exit=0' "$work/save" || fail "--save did not exit 0: $(cat "$work/save")"
[ -f "$work/sites.ini" ] || fail "--save wrote no $work/sites.ini"

# The tour's files, listed on the console as it leaves them.
tour=$(printf 'Z:%s\\tour' "$work" | tr / '\\')
in_console --tour "$tour" >"$work/tour.out"
grep -q 'tour.transcript.txt' "$work/tour.out" || fail "the tour listed nothing on the console: $(cat "$work/tour.out")"
[ -f "$work/tour/transcript.txt" ] || fail "the tour left no transcript in $work/tour"
echo "console answers: usage and exit code 1 through a pipe and on cmd.exe's console; what --save did and the" \
    "tour's files on the console"
