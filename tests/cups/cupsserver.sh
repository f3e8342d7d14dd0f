#!/usr/bin/env bash
# A private CUPS server for the tests, touching no system printer.
#
#   cupsserver.sh start DIR CAPTURE_PRINTER IPP_PRINTER
#                                              start it, with its state in DIR
#   cupsserver.sh stop DIR                     stop it and remove DIR
#   cupsserver.sh stop-remote DIR              stop the TCP-only server (below)
#   cupsserver.sh start-remote DIR             start it again, queues kept
#
# CTest starts and stops it as the fixture "cups" (tests/cups/CMakeLists.txt).
# What a test gets (CTest sets these for tests with FIXTURES_REQUIRED cups):
#   CUPS_SERVER=DIR/cups.sock   libcups, lp, lpstat, lpadmin and Qt find the server
#   ZANTO_CUPS_DIR=DIR          where the files below are
# Files in DIR:
#   harness.env       KEY=VALUE lines:
#                       DEFAULT_QUEUE     raw queue "zanto-default", the server's default
#                       DEFAULT_URI       its device URI, socket://127.0.0.1:PORT
#                       DEFAULT_CAPTURES  folder where each job it printed lands as
#                                         000001.prn, 000002.prn, ... (complete files only)
#                       NORAW_PRINTER     ipp://127.0.0.1:PORT/ipp/print, an IPP printer
#                                         that takes no raw data (zanto_ipp_printer)
#                       REMOTE_SERVER     127.0.0.1:PORT: a second scheduler that clients
#                                         reach over TCP only, as a print server on
#                                         another host; it starts without queues
#                       REMOTE_ADMIN      that scheduler's own socket, for lpadmin -h
#   error_log         the scheduler's log, for a failing test's diagnosis
#   remote/error_log  the second scheduler's log
# Tests that read DEFAULT_CAPTURES take the CTest resource lock
# "cups-default-queue"; tests that stop the second scheduler take
# "cups-remote-server". tests/cups/cupsharness.h wraps all of this for C++
# tests, including queues of a test's own and waiting for jobs by asking the
# server.
# sleep reads "0.1" with the locale's decimal point: under German it would
# refuse it. The script and the servers it starts run in the C locale.
export LC_ALL=C
set -euo pipefail

command=${1:?start, stop, start-remote or stop-remote}
dir=${2:?state folder}

for program in cupsd lpadmin lpstat; do
    command -v "$program" >/dev/null || PATH=$PATH:/usr/sbin
done

# A process that has ended but was not yet reaped by its new parent counts as gone.
alive() {
    local stat
    read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
    stat=${stat##*) }
    [[ $stat != Z* ]]
}

stop_process() {
    local pidfile=$1 pid
    pid=$(cat "$pidfile")
    if kill "$pid" 2>/dev/null; then
        for _ in $(seq 200); do
            alive "$pid" || break
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile"
}

stop_server() {
    local pidfile
    for pidfile in "$dir"/*.pid; do
        [ -e "$pidfile" ] || continue
        stop_process "$pidfile"
    done
}

# Runs "$@" until it succeeds, for at most 30 s; fails after that.
wait_until() {
    for _ in $(seq 300); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# write_config STATE_DIR [CUPSD_LINE...]: a scheduler whose state lies in
# STATE_DIR, listening on STATE_DIR/cups.sock, with the extra cupsd.conf lines.
write_config() {
    local state=$1
    shift
    mkdir -p "$state"/{spool,tmp,cache,state}
    # Jobs run as lp.
    chgrp lp "$state"/spool "$state"/tmp 2>/dev/null || true
    chmod 1777 "$state"/spool "$state"/tmp
    {
        echo "Listen $state/cups.sock"
        printf '%s\n' "$@"
        cat <<CONF
Browsing Off
WebInterface No
LogLevel warn
MaxLogSize 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
    } >"$state"/cupsd.conf
    cat >"$state"/cups-files.conf <<CONF
FileDevice Yes
ServerRoot $state
StateDir $state/state
CacheDir $state/cache
RequestRoot $state/spool
TempDir $state/tmp
ErrorLog $state/error_log
AccessLog $state/access_log
PageLog $state/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
Sandboxing Relaxed
CONF
}

# start_cupsd STATE_DIR PIDFILE: runs the scheduler configured in STATE_DIR
# and waits until it answers on its socket.
start_cupsd() {
    local state=$1 pidfile=$2
    # Background programs write to files only: CTest waits for open output pipes.
    cupsd -f -c "$state"/cupsd.conf -s "$state"/cups-files.conf </dev/null >"$state"/cupsd.log 2>&1 &
    echo $! >"$pidfile"
    # lpstat speaks the user's language; the test reads its English.
    scheduler_running() { LC_ALL=C LANGUAGE=C lpstat -h "$state"/cups.sock -r | grep -q "scheduler is running"; }
    if ! wait_until scheduler_running; then
        echo "the private cupsd in $state did not start; its log:" >&2
        cat "$state"/error_log >&2 || true
        return 1
    fi
}

case $command in
stop)
    [ -d "$dir" ] || exit 0
    stop_server
    rm -rf "$dir"
    exit 0
    ;;
stop-remote)
    [ ! -e "$dir"/remote-cupsd.pid ] || stop_process "$dir"/remote-cupsd.pid
    exit 0
    ;;
start-remote)
    [ -e "$dir"/remote-cupsd.pid ] && alive "$(cat "$dir"/remote-cupsd.pid)" && exit 0
    start_cupsd "$dir"/remote "$dir"/remote-cupsd.pid
    exit 0
    ;;
start) ;;
*)
    echo "usage: $0 start DIR CAPTURE_PRINTER IPP_PRINTER | stop DIR | start-remote DIR | stop-remote DIR" >&2
    exit 2
    ;;
esac

capture_printer=${3:?capture printer program}
ipp_printer=${4:?IPP printer program}
for program in cupsd lpadmin lpstat python3; do
    command -v "$program" >/dev/null || { echo "$program is missing: run tools/bootstrap" >&2; exit 1; }
done

# Leftovers of a run that was not stopped.
if [ -d "$dir" ]; then
    stop_server
    rm -rf "$dir"
fi
socket=$dir/cups.sock
if [ ${#socket} -gt 93 ]; then
    echo "state folder path too long for a Unix socket: $dir" >&2
    exit 1
fi
mkdir -p "$dir"/captures/zanto-default "$dir"/home
chmod 0755 "$dir"
write_config "$dir"

"$capture_printer" "$dir"/captures/zanto-default "$dir"/zanto-default.port \
    </dev/null >"$dir"/capture-default.log 2>&1 &
echo $! >"$dir"/capture-default.pid
wait_until test -s "$dir"/zanto-default.port || { echo "the capture printer did not start" >&2; exit 1; }
default_uri=socket://127.0.0.1:$(cat "$dir"/zanto-default.port)

start_cupsd "$dir" "$dir"/cupsd.pid
export CUPS_SERVER=$socket
lpadmin -p zanto-default -E -v "$default_uri"
lpadmin -d zanto-default

# An IPP printer whose document formats leave raw data out.
# It listens before it writes its port file.
"$ipp_printer" "$dir"/noraw.port application/pdf,image/pwg-raster </dev/null >"$dir"/noraw.log 2>&1 &
echo $! >"$dir"/noraw.pid
wait_until test -s "$dir"/noraw.port || { echo "the IPP printer did not start" >&2; exit 1; }
noraw_uri=ipp://127.0.0.1:$(cat "$dir"/noraw.port)/ipp/print

# The second scheduler, on a loopback port that was free a moment ago. It
# answers to any host name in requests, as a server on another host must.
remote_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
write_config "$dir"/remote "Listen 127.0.0.1:$remote_port" "ServerName 127.0.0.1" "ServerAlias *" \
    "DefaultAuthType None"
start_cupsd "$dir"/remote "$dir"/remote-cupsd.pid

cat >"$dir"/harness.env <<ENV
DEFAULT_QUEUE=zanto-default
DEFAULT_URI=$default_uri
DEFAULT_CAPTURES=$dir/captures/zanto-default
NORAW_PRINTER=$noraw_uri
REMOTE_SERVER=127.0.0.1:$remote_port
REMOTE_ADMIN=$dir/remote/cups.sock
ENV
echo "private CUPS server running: CUPS_SERVER=$socket"
cat "$dir"/harness.env
