#!/bin/sh
# The live tour against the test server (started by run_live_tests.sh, which
# calls this in place of wine-run.sh):
#   live_tour_check.sh WINE_RUN HOST_EXE
# The pinned tour must leave thirteen pictures (the plug-in's seven pages and
# two dialogs, the host's Groups, Accounts, Online now and Top lists pages) and a transcript without the
# password, having sent the server nothing that changes a site; a wrong pin
# must fail the tour before any USER is sent.
set -eu
wine_run="$1"
host="$2"
state=$(printf '%s' "${QUORIN_LIVE_STATE#Z:}" | tr '\\' '/')
fail() {
    echo "live tour: $*" >&2
    exit 1
}
field() {
    /usr/bin/python3 -c "import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])" "$state/server.json" "$1"
}
port=$(field tls_port)
fingerprint=$(field fingerprint)
printf 'secret\n' >"$state/password"
tour="$state/tour"

status=0
"$wine_run" "$host" --tour "Z:$tour" --site "127.0.0.1:$port" --user siteop \
    --password-file "$state/password" --fingerprint "$fingerprint" || status=$?
[ "$status" -eq 0 ] || fail "the pinned tour ended with $status: $(tail -n 5 "$tour/transcript.txt" 2>/dev/null)"
[ "$(find "$tour" -name '*.png' | wc -l)" -eq 13 ] || fail "not thirteen pictures: $(ls "$tour")"
grep -q '^> SITE USER ' "$tour/transcript.txt" || fail "no account was read"
! grep -q 'secret' "$tour/transcript.txt" || fail "the password is in the transcript"
# Every SITE command the server saw only reads.
changing=$(grep ' SITE ' "$state/received.log" |
    grep -Ev ' SITE (GROUPS|USER|USER [^ ]+|SWHO|WHO|STATS [^ ]+|WKUP [0-9]+|GRP [^ ]+|GINFO [^ ]+|USERS|USERS [^ ]+)$' ||
    true)
[ -z "$changing" ] || fail "the tour sent: $changing"

lines=$(wc -l <"$state/received.log")
status=0
"$wine_run" "$host" --tour "Z:$state/refused" --site "127.0.0.1:$port" --user siteop \
    --password-file "$state/password" \
    --fingerprint "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF" ||
    status=$?
[ "$status" -ne 0 ] || fail "a tour with a wrong pin succeeded"
! tail -n "+$((lines + 1))" "$state/received.log" | grep -q ' USER ' || fail "USER was sent despite a wrong pin"
grep -q "does not match the pinned fingerprint" "$state/refused/transcript.txt" ||
    fail "the refusal does not say why"

# Tours that must fail, and say why first, with nothing sent for the login
# where the line says "nologin": name | options | the first line of stderr holds
refusals="stall|--user stall --timeout 1|tour: failed: 
dropper|--user dropper|tour: failed: 
plainpin|--user siteop --plain --fingerprint $fingerprint|cannot go with --plain|nologin
unknown|--user siteop --frobnicate x|unknown option --frobnicate|nologin"
printf '%s\n' "$refusals" | while IFS='|' read -r name options first nologin; do
    lines=$(wc -l <"$state/received.log")
    status=0
    # shellcheck disable=SC2086 # the options are words on purpose
    "$wine_run" "$host" --tour "Z:$state/$name" --site "127.0.0.1:$port" --password-file "$state/password" \
        $options 2>"$state/$name.err" || status=$?
    [ "$status" -ne 0 ] || fail "$name: the tour exited 0"
    head -n 1 "$state/$name.err" | grep -qF "$first" || fail "$name: stderr begins: $(head -n 2 "$state/$name.err")"
    if [ -n "$nologin" ]; then
        ! tail -n "+$((lines + 1))" "$state/received.log" | grep -q ' USER ' || fail "$name: USER was sent"
    fi
done
echo "live tour: eleven pictures, nothing changed, the password nowhere; a wrong pin refused before USER;" \
    "a stalled or dropped tour fails with its cause; a pin with --plain and an unknown option refused"
