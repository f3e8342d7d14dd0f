#!/usr/bin/env python3
"""Adds a printer through a PAPPL printer application's web interface in a
headless Chromium, and prints its test page, as a user would.

    browser_addprinter.py URL OUTDIR PRINTERNAME DEVICEURI DRIVER

URL is the application's web interface (http://127.0.0.1:PORT), OUTDIR a
folder for a screenshot and the HTML of each step (01-home.png,
01-home.html ...), DRIVER a driver name as `APP drivers` lists it.
The steps:
  1. the home page links to "Add Printer";
  2. the Add Printer form is filled in: name, device, driver; and sent;
  3. the printer's page appears, with the name as its title;
  4. "Print Test Page" is clicked and the job "Test Page" is listed.
Each step prints "PASS step" or "FAIL step: why"; the exit status is 0 when
all passed, 1 when a step failed, 2 for wrong arguments.

The form lists only the devices the application finds (and "Network
Printer", for socket://HOST on port 9100); any other DEVICEURI, such as a
file: URI or another port, is put into the list first, as the form accepts
whatever device it is sent. The form's labels are not read: the browser
asks for English pages and the fields are found by their names, so any
PAPPL application does.
The test page button is there when the application's driver has a test
page (its testpage_cb).

Running it against an application, with a private state and a free port:

    port=$(PYTHONPATH=tests/printerapp python3 -c 'import webdriver; print(webdriver.free_loopback_port())')
    state=$(mktemp -d)
    zanto-printer-app server -o state-dir=$state -o server-port=$port \
        -o log-file=$state/log -o log-level=debug &
    app=$!
    tests/printerapp/browser_addprinter.py http://127.0.0.1:$port $state/shots \
        Receipt socket://127.0.0.1:9100 escpos-80mm
    kill $app

PAPPL 1.3's own Add Printer page looks for DNS-SD printers each time it is
shown, which aborts without a D-Bus system bus and hangs for good with a bus
but no avahi-daemon; zanto-printer-app has a page of its own there, which
searches DNS-SD only where Avahi answers, so no daemon is needed.

It needs chromium and chromium-driver (tools/bootstrap installs them) and
python3 only.
"""
import os
import sys
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import webdriver  # noqa: E402


class StepFailed(Exception):
    pass


class Steps:
    """Runs the steps in order, with a screenshot after each."""

    def __init__(self, browser, outdir):
        self.browser = browser
        self.outdir = outdir
        self.count = 0
        self.passed = []

    def run(self, name, action):
        self.count += 1
        prefix = os.path.join(self.outdir, f"{self.count:02d}-{name}")
        try:
            detail = action()
        except (StepFailed, webdriver.WebDriverError) as failure:
            self._keep(prefix)
            print(f"FAIL {name}: {failure}", flush=True)
            raise StepFailed(name) from None
        self._keep(prefix)
        print(f"PASS {name}" + (f": {detail}" if detail else ""), flush=True)
        self.passed.append(name)

    def _keep(self, prefix):
        # What the browser showed, for a person to look at; a failure to
        # save it does not hide the step's own result.
        try:
            self.browser.screenshot(prefix + ".png")
            with open(prefix + ".html", "w", encoding="utf-8") as page:
                page.write(self.browser.page_source)
        except (OSError, webdriver.WebDriverError) as failure:
            print(f"  (no screenshot of {prefix}: {failure})", flush=True)


def banner(browser):
    """PAPPL's message line of a page, if the page has one."""
    found = browser.find_all("div.banner")
    return found[0].text.strip() if found else ""


def open_home(browser, url):
    browser.navigate(url)
    if not browser.find_all("a[href$='/addprinter']"):
        raise StepFailed("the home page has no link to /addprinter")
    return browser.title


def fill_add_printer(browser, name, device_uri, driver):
    browser.find("a[href$='/addprinter']").click()
    browser.wait_for(lambda: browser.url.rstrip("/").endswith("/addprinter"),
                     what="the Add Printer page")
    form = browser.find("form[action$='/addprinter']")
    form.find("input[name='printer_name']").fill(name)

    devices = form.find("select[name='device_uri']")
    # A listed device may carry its IEEE 1284 device id after a '|'.
    listed = [option.prop("value") for option in devices.find_all("option")]
    match = next((value for value in listed
                  if value == device_uri or value.startswith(device_uri + "|")), None)
    how = "listed"
    address = urllib.parse.urlsplit(device_uri)
    # The form's host name field takes no port: only the usual one, 9100,
    # goes that way.
    if match is None and address.scheme == "socket" and address.port in (None, 9100) \
            and "socket" in listed:
        devices.select(value="socket")
        form.find("input[name='hostname']").fill(address.hostname)
        how = "as a network printer"
    else:
        if match is None:
            browser.execute(
                "const option = document.createElement('option');"
                "option.value = arguments[1]; option.textContent = arguments[1];"
                "arguments[0].appendChild(option);", devices, device_uri)
            match = device_uri
            how = "added to the list"
        devices.select(value=match)

    drivers = form.find("select[name='driver_name']")
    try:
        drivers.select(value=driver)
    except webdriver.WebDriverError:
        names = [option.prop("value") for option in drivers.find_all("option")]
        raise StepFailed(f"no driver {driver!r}; the list has {names}") from None
    # What the browser would refuse to send, with its reason.
    invalid = browser.execute(
        "return Array.from(arguments[0].elements).filter(e => !e.checkValidity())"
        ".map(e => e.name + ': ' + e.validationMessage);", form)
    if invalid:
        raise StepFailed("the form is not valid: " + "; ".join(invalid))
    form.find("input[type='submit']").click()
    return f"device {how}"


def printer_page(browser, name):
    # PAPPL sends the browser on to the new printer's page, whose path is
    # the name made fit for a URL.
    def arrived():
        return not urllib.parse.urlsplit(browser.url).path.rstrip("/").endswith("/addprinter")

    try:
        browser.wait_for(arrived, timeout=15, what="the printer's page")
    except webdriver.WebDriverError:
        message = banner(browser)
        raise StepFailed(f"still at {browser.url}" + (f": {message}" if message else ""))
    # PAPPL titles a printer's pages with its name.
    if name not in browser.title:
        raise StepFailed(f"the page's title is {browser.title!r}")
    return browser.url


def print_test_page(browser):
    printer_url = browser.url
    buttons = browser.find_all(
        "form input[name='action'][value='print-test-page'] ~ input[type='submit']")
    if not buttons:
        raise StepFailed("the printer's page has no Print Test Page button "
                         "(its driver has no test page)")
    label = buttons[0].prop("value")
    buttons[0].click()
    message = browser.wait_for(lambda: banner(browser), timeout=15,
                               what="the message of the test page")
    jobs_url = urllib.parse.urljoin(printer_url.rstrip("/") + "/", "jobs")

    def listed():
        browser.navigate(jobs_url)
        rows = [row.text for row in browser.find_all("table.list tbody tr")]
        return [row for row in rows if "Test Page" in row]

    try:
        rows = browser.wait_for(listed, timeout=15, interval=0.5, what="the job Test Page")
    except webdriver.WebDriverError:
        raise StepFailed(f"clicked {label!r}, got {message!r}, "
                         f"but no job Test Page at {jobs_url}") from None
    return f"clicked {label!r}: {message!r}; job: {rows[0]!r}"


def main(argv):
    if len(argv) != 6:
        print("usage: " + __doc__.split("\n\n")[1].strip(), file=sys.stderr)
        return 2
    url, outdir, name, device_uri, driver = argv[1:]
    os.makedirs(outdir, exist_ok=True)
    url = url.rstrip("/") + "/"
    # English pages whatever the machine's language.
    with webdriver.Browser(extra_args=["--lang=en-US", "--accept-lang=en-US"]) as browser:
        steps = Steps(browser, outdir)
        try:
            steps.run("home", lambda: open_home(browser, url))
            steps.run("add-printer", lambda: fill_add_printer(browser, name, device_uri, driver))
            steps.run("printer-page", lambda: printer_page(browser, name))
            steps.run("test-page", lambda: print_test_page(browser))
        except StepFailed:
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
