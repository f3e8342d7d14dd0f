#!/usr/bin/env bash
# A private CUPS server for the tests, touching no system printer.
#
#   cupsserver.sh start DIR CAPTURE_PRINTER IPP_PRINTER
#                                              start it, with its state in DIR
#   cupsserver.sh stop DIR                     stop it and remove DIR
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
#   error_log         the scheduler's log, for a failing test's diagnosis
# Tests that read DEFAULT_CAPTURES take the CTest resource lock
# "cups-default-queue". tests/cups/cupsharness.h wraps all of this for C++ tests,
# including queues of a test's own and waiting for jobs by asking the server.
# sleep reads "0.1" with the locale's decimal point: under German it would
# refuse it. The script and the server it starts run in the C locale.
export LC_ALL=C
set -euo pipefail

command=${1:?start or stop}
dir=${2:?state folder}

# A process that has ended but was not yet reaped by its new parent counts as gone.
alive() {
    local stat
    read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
    stat=${stat##*) }
    [[ $stat != Z* ]]
}

stop_server() {
    local pidfile pid
    for pidfile in "$dir"/*.pid; do
        [ -e "$pidfile" ] || continue
        pid=$(cat "$pidfile")
        if kill "$pid" 2>/dev/null; then
            for _ in $(seq 200); do
                alive "$pid" || break
                sleep 0.05
            done
            kill -KILL "$pid" 2>/dev/null || true
        fi
        rm -f "$pidfile"
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

if [ "$command" = stop ]; then
    [ -d "$dir" ] || exit 0
    stop_server
    rm -rf "$dir"
    exit 0
fi

[ "$command" = start ] || { echo "usage: $0 start DIR CAPTURE_PRINTER IPP_PRINTER | stop DIR" >&2; exit 2; }
capture_printer=${3:?capture printer program}
ipp_printer=${4:?IPP printer program}
for program in cupsd lpadmin lpstat; do
    command -v "$program" >/dev/null || PATH=$PATH:/usr/sbin
    command -v "$program" >/dev/null || { echo "$program is missing: run tools/bootstrap" >&2; exit 1; }
done

# Leftovers of a run that was not stopped.
if [ -d "$dir" ]; then
    stop_server
    rm -rf "$dir"
fi
socket=$dir/cups.sock
if [ ${#socket} -gt 100 ]; then
    echo "state folder path too long for a Unix socket: $dir" >&2
    exit 1
fi
mkdir -p "$dir"/{spool,tmp,cache,state,captures/zanto-default}
chmod 0755 "$dir"
# Jobs run as lp.
chgrp lp "$dir"/spool "$dir"/tmp 2>/dev/null || true
chmod 1777 "$dir"/spool "$dir"/tmp

cat >"$dir"/cupsd.conf <<CONF
Listen $socket
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
cat >"$dir"/cups-files.conf <<CONF
FileDevice Yes
ServerRoot $dir
StateDir $dir/state
CacheDir $dir/cache
RequestRoot $dir/spool
TempDir $dir/tmp
ErrorLog $dir/error_log
AccessLog $dir/access_log
PageLog $dir/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
Sandboxing Relaxed
CONF

# Background programs write to files only: CTest waits for open output pipes.
"$capture_printer" "$dir"/captures/zanto-default "$dir"/zanto-default.port \
    </dev/null >"$dir"/capture-default.log 2>&1 &
echo $! >"$dir"/capture-default.pid
wait_until test -s "$dir"/zanto-default.port || { echo "the capture printer did not start" >&2; exit 1; }
default_uri=socket://127.0.0.1:$(cat "$dir"/zanto-default.port)

cupsd -f -c "$dir"/cupsd.conf -s "$dir"/cups-files.conf </dev/null >"$dir"/cupsd.log 2>&1 &
echo $! >"$dir"/cupsd.pid
export CUPS_SERVER=$socket
scheduler_running() { lpstat -r | grep -q "scheduler is running"; }
if ! wait_until scheduler_running; then
    echo "the private cupsd did not start; its log:" >&2
    cat "$dir"/error_log >&2 || true
    exit 1
fi

lpadmin -p zanto-default -E -v "$default_uri"
lpadmin -d zanto-default

# An IPP printer whose document formats leave raw data out.
# It listens before it writes its port file.
"$ipp_printer" "$dir"/noraw.port application/pdf,image/pwg-raster </dev/null >"$dir"/noraw.log 2>&1 &
echo $! >"$dir"/noraw.pid
wait_until test -s "$dir"/noraw.port || { echo "the IPP printer did not start" >&2; exit 1; }
noraw_uri=ipp://127.0.0.1:$(cat "$dir"/noraw.port)/ipp/print

cat >"$dir"/harness.env <<ENV
DEFAULT_QUEUE=zanto-default
DEFAULT_URI=$default_uri
DEFAULT_CAPTURES=$dir/captures/zanto-default
NORAW_PRINTER=$noraw_uri
ENV
echo "private CUPS server running: CUPS_SERVER=$socket"
cat "$dir"/harness.env
