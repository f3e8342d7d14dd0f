#!/usr/bin/env python3
"""zanto-printer-app's Add Printer page (/addprinter) on machines without
Avahi: shown again and again and sent, as a browser sends its form, where
there is no D-Bus system bus and (when dbus-daemon is installed) where a
private bus has no avahi-daemon on it. PAPPL 1.3's own page ends the server
in the first case and hangs from the second showing on in the other.

    addprinter_form.py PROGRAM WORKDIR

Each form the table below sends must be refused with its message, or add
the printer and send the browser on to the printer's page; the server must
answer throughout and end cleanly. Exit status 0 when all held, 1 if not.
"""
import html
import http.client
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from appserver import AppServer  # noqa: E402

# (form fields, the page's message or the path it is sent on to)
CASES = [
    ({"printer_name": "", "device_uri": "socket", "hostname": "127.0.0.1",
      "driver_name": "generic-text"}, "Please enter a printer name."),
    ({"printer_name": "Office", "device_uri": "", "driver_name": "generic-text"},
     "Please select a device."),
    ({"printer_name": "Office", "device_uri": "socket", "hostname": "127.0.0.1:99999",
      "driver_name": "generic-text"}, "Bad port number."),
    ({"printer_name": "Office", "device_uri": "socket", "hostname": "",
      "driver_name": "generic-text"}, "Please enter a hostname or IP address for the printer."),
    ({"printer_name": "Office", "device_uri": "socket", "hostname": "127.0.0.1",
      "driver_name": ""}, "Please select a driver."),
    ({"printer_name": "Office", "device_uri": "socket", "hostname": "127.0.0.1",
      "driver_name": "no-such-profile"}, "Unable to use that driver."),
    ({"printer_name": "Office", "device_uri": "socket", "hostname": "127.0.0.1:9101",
      "driver_name": "epson-24pin"}, "/Office"),
    ({"printer_name": "Office", "device_uri": "socket", "hostname": "127.0.0.1:9102",
      "driver_name": "generic-text"}, "A printer with that name already exists."),
    ({"printer_name": "Office", "device_uri": "socket", "hostname": "127.0.0.1",
      "driver_name": "generic-text", "session": "forged"}, "Invalid form submission."),
]


def request(port, method, path, body=None):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    try:
        headers = {"Accept-Language": "en"}
        if body is not None:
            headers["Content-Type"] = "application/x-www-form-urlencoded"
        connection.request(method, path, body=body, headers=headers)
        response = connection.getresponse()
        return response.status, response.getheader("Location", ""), \
            response.read().decode("utf-8", "replace")
    finally:
        connection.close()


def check_form(app):
    failures = []
    for showing in range(2):
        status, _, page = request(app.port, "GET", "/addprinter")
        if status != 200 or 'name="device_uri"' not in page:
            return [f"showing {showing + 1} of /addprinter: HTTP {status}"]
    session = re.search(r'name="session" value="([^"]*)"', page).group(1)
    for fields, expected in CASES:
        form = {"session": session, **fields}
        status, location, page = request(app.port, "POST", "/addprinter",
                                         urllib.parse.urlencode(form))
        if expected.startswith("/"):
            got = urllib.parse.urlsplit(location).path if status in (302, 303) else \
                f"HTTP {status}"
        else:
            banner = re.search(r'<div class="banner">(.*?)</div>', page)
            got = html.unescape(banner.group(1)) if banner else f"HTTP {status}, no message"
        if got.rstrip("/") != expected:
            failures.append(f"{fields}: {got!r}, not {expected!r}")
    # The devices subcommand lists the same devices, in a process of its own.
    devices = app.run("devices")
    if devices.returncode != 0:
        failures.append(f"devices: exit status {devices.returncode}: {devices.stderr[-500:]}")
    listed = app.run("printers").stdout.split()
    if listed != ["Office"]:
        failures.append(f"the printers are {listed}, not ['Office']")
    return failures


def run_case(program, workdir, what, environment):
    app = AppServer(program, os.path.join(workdir, what), environment=environment)
    app.start()
    try:
        failures = check_form(app)
    except (OSError, http.client.HTTPException) as failure:
        failures = [f"the server does not answer: {failure}"]
    finally:
        status = app.stop()
    if status != 0:
        failures.append(f"the server ended with status {status}")
    for failure in failures:
        print(f"FAIL {what}: {failure}")
    if failures:
        print(app.log()[-4000:])
    else:
        print(f"PASS {what}")
    return not failures


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    program, workdir = argv[1:]
    os.makedirs(workdir, exist_ok=True)
    work = tempfile.mkdtemp(prefix="addprinter-", dir=os.path.abspath(workdir))
    nowhere = "unix:path=" + os.path.join(work, "no-bus")
    passed = run_case(program, work, "no system bus", {"DBUS_SYSTEM_BUS_ADDRESS": nowhere})
    daemon = shutil.which("dbus-daemon")
    if daemon:
        bus_path = os.path.join(work, "bus")
        bus = subprocess.Popen([daemon, "--session", "--nofork", "--nopidfile",
                                "--address=unix:path=" + bus_path, "--print-address"],
                               stdout=subprocess.PIPE, text=True)
        try:
            bus.stdout.readline()  # the address: the bus listens
            passed &= run_case(program, work, "a bus without avahi-daemon",
                               {"DBUS_SYSTEM_BUS_ADDRESS": "unix:path=" + bus_path})
        finally:
            bus.send_signal(signal.SIGTERM)
            bus.wait(timeout=30)
    else:
        print("(no dbus-daemon: the case of a bus without avahi-daemon is left out)")
    if passed:
        shutil.rmtree(work, ignore_errors=True)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
