#!/usr/bin/env python3
"""A printer added and its test page printed through zanto-printer-app's web
interface in a headless Chromium (browser_addprinter.py's steps), and what
the printer's device received.

    browser_test.py PROGRAM ZANTO OUTDIR [--docs-image FILE]

PROGRAM is zanto-printer-app, ZANTO the zanto it lays text out like. The
printer is a plain text one (generic-text) on a file: device; its test page
must reach the device as zanto print -P generic-text lays the page's text
out. OUTDIR keeps the screenshots and pages of the steps (01-home.png ...)
and the server's log. --docs-image copies the printer's page's screenshot
to FILE (the manual's docs/img/printer-app.png is made so).
Exit status 0 when all held, 1 when not, 77 when no Chromium is installed.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser_addprinter  # noqa: E402
import webdriver  # noqa: E402
from appserver import AppServer  # noqa: E402

PRINTER = "Counter"
PROFILE = "generic-text"


def expected_page(columns=80, pitch=10):
    """The test page's text, as the application writes it for PRINTER."""
    ruler = "".join(str(column % 10) for column in range(1, columns + 1))
    return ("Zantoquiller Printer Application test page\n\n"
            f"Printer:  {PRINTER}\n"
            f"Profile:  {PROFILE}\n"
            "Language: {language}\n"
            f"Line:     {columns} columns at {pitch} characters per inch\n\n"
            f"{ruler}\n"
            "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789\n")


def laid_out(zanto, text, folder):
    """zanto print -P PROFILE's bytes for text."""
    source = os.path.join(folder, "page.txt")
    output = os.path.join(folder, "page.prn")
    with open(source, "w", encoding="utf-8") as page:
        page.write(text)
    subprocess.run([zanto, "print", "-P", PROFILE, "-o", output, "--", source], check=True,
                   timeout=60)
    with open(output, "rb") as printed:
        return printed.read()


def wait_for_bytes(path, timeout=30):
    """The device file's contents once they stop growing."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        with open(path, "rb") as device:
            data = device.read()
        if data and data == last:
            return data
        last = data
        time.sleep(0.5)
    return last or b""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("zanto")
    parser.add_argument("outdir")
    parser.add_argument("--docs-image")
    options = parser.parse_args()
    if not os.path.exists(webdriver.CHROMIUM) or not shutil.which(webdriver.CHROMEDRIVER):
        print("SKIP: chromium and chromium-driver are not installed")
        return 77
    shutil.rmtree(options.outdir, ignore_errors=True)
    os.makedirs(options.outdir)
    work = tempfile.mkdtemp(prefix="browser-", dir=os.path.abspath(options.outdir))
    device = os.path.join(work, "device.out")
    open(device, "wb").close()
    shots = os.path.join(options.outdir, "shots")
    failures = []
    app = AppServer(options.program, os.path.join(work, "app"))
    app.start()
    try:
        status = browser_addprinter.main(
            ["browser_addprinter.py", app.url, shots, PRINTER, "file:" + device, PROFILE])
        if status != 0:
            failures.append("a step in the browser failed")
        else:
            received = wait_for_bytes(device)
            # The language's name as the page gives it; every other byte is
            # compared.
            text = received.replace(b"\r\n", b"\n").decode("latin-1")
            start = text.find("Language: ")
            name = text[start + 10:text.find("\n", start)] if start >= 0 else "?"
            expected = laid_out(options.zanto, expected_page().format(language=name), work)
            if received != expected:
                failures.append(f"the device received {received!r}, "
                                f"zanto print lays the test page out as {expected!r}")
            else:
                print(f"PASS device: {len(received)} bytes, as zanto print lays the page out")
    finally:
        stopped = app.stop()
        shutil.copy(app.log_path, os.path.join(options.outdir, "server.log"))
    if stopped != 0:
        failures.append(f"the server ended with status {stopped}")
    if options.docs_image and not failures:
        shutil.copy(os.path.join(shots, "03-printer-page.png"), options.docs_image)
        print(f"wrote {options.docs_image}")
    for failure in failures:
        print("FAIL " + failure)
    if not failures:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
