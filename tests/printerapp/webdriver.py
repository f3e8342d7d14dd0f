#!/usr/bin/env python3
"""A small WebDriver client on the standard library alone (urllib and json).

It starts chromedriver on a free loopback port, opens a headless Chromium
session with a fresh profile, and drives pages through the W3C WebDriver
protocol: navigate, find elements by CSS selector, click, type, choose an
option of a <select>, read text and save screenshots.

    with webdriver.Browser() as browser:
        browser.navigate("http://127.0.0.1:8000/")
        browser.find("a.btn").click()
        browser.screenshot("/tmp/page.png")

Leaving the with block ends the session and stops chromedriver and the
browser, also when a step failed or the process got SIGTERM. A Browser is
made in the main thread (it takes SIGTERM over until it quits).
"""
import base64
import json
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import urllib.error
import urllib.request

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "chromedriver"
# The key under which WebDriver returns an element reference.
ELEMENT_KEY = "element-6066-11e4-a52e-4f735466cecf"
# Chromium without anything that talks to the network on its own.
CHROMIUM_ARGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--no-proxy-server",
    "--disable-breakpad",
    "--disable-crash-reporter",
    "--window-size=1280,1024",
]


class WebDriverError(Exception):
    """A command the driver refused or that failed, with its error code."""

    def __init__(self, error, message):
        super().__init__(f"{error}: {message}")
        self.error = error


def free_loopback_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


# Requests to chromedriver never go through a proxy from the environment.
_opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def _request(method, url, body=None, timeout=60):
    data = None if body is None else json.dumps(body).encode()
    request = urllib.request.Request(url, data=data, method=method)
    request.add_header("Content-Type", "application/json; charset=utf-8")
    try:
        with _opener.open(request, timeout=timeout) as response:
            reply = json.loads(response.read() or b"{}")
    except urllib.error.HTTPError as failure:
        # WebDriver errors come as HTTP errors with a JSON body.
        try:
            value = json.loads(failure.read()).get("value", {})
        except ValueError:
            raise WebDriverError("http error", f"{failure.code} {failure.reason}") from None
        raise WebDriverError(value.get("error", "unknown error"),
                             value.get("message", "")) from None
    return reply.get("value")


class Element:
    """An element of the current page."""

    def __init__(self, browser, reference):
        self._browser = browser
        self.reference = reference

    def _path(self, command=""):
        return f"/element/{self.reference}{command}"

    def click(self):
        self._browser.command("POST", self._path("/click"), {})

    def clear(self):
        self._browser.command("POST", self._path("/clear"), {})

    def send_keys(self, text):
        self._browser.command("POST", self._path("/value"), {"text": text})

    def fill(self, text):
        """Replaces the field's content with text."""
        self.clear()
        self.send_keys(text)

    @property
    def text(self):
        return self._browser.command("GET", self._path("/text"))

    def attribute(self, name):
        return self._browser.command("GET", self._path(f"/attribute/{name}"))

    def prop(self, name):
        return self._browser.command("GET", self._path(f"/property/{name}"))

    def find(self, css):
        """The first element below this one matching css."""
        found = self._browser.command("POST", self._path("/element"),
                                      {"using": "css selector", "value": css})
        return Element(self._browser, found[ELEMENT_KEY])

    def find_all(self, css):
        found = self._browser.command("POST", self._path("/elements"),
                                      {"using": "css selector", "value": css})
        return [Element(self._browser, item[ELEMENT_KEY]) for item in found]

    def select(self, value=None, text=None):
        """Chooses the option of this <select> with the given value or
        visible text, as a user does: by clicking it."""
        for option in self.find_all("option"):
            if (value is not None and option.prop("value") == value) or \
                    (text is not None and option.text.strip() == text):
                option.click()
                return option
        wanted = value if value is not None else text
        raise WebDriverError("no such element", f"no option {wanted!r} in the list")


class Browser:
    """chromedriver with one headless Chromium session."""

    def __init__(self, chromium=CHROMIUM, chromedriver=CHROMEDRIVER, extra_args=(),
                 implicit_wait=5.0, page_load_timeout=30.0, start_timeout=30.0):
        self._driver = None
        self.session = None
        self._profile = None
        self._log = None
        # SIGTERM ends the program as an exception does, through quit(), so
        # that the browser is not left behind, also while it starts.
        self._previous_sigterm = signal.signal(signal.SIGTERM, _raise_system_exit)
        try:
            self._profile = tempfile.mkdtemp(prefix="webdriver-profile-")
            self._log = tempfile.NamedTemporaryFile(prefix="chromedriver-", suffix=".log",
                                                    delete=False)
            self._start_driver(chromedriver, start_timeout)
            self._open_session(chromium, list(extra_args), implicit_wait, page_load_timeout)
        except BaseException:
            self.quit()
            raise

    def _start_driver(self, chromedriver, start_timeout):
        port = free_loopback_port()
        self.base = f"http://127.0.0.1:{port}"
        # A process group of its own, so that quitting can stop the browser
        # processes it started even when the session cannot be ended.
        # The browser's files, crash reports included, stay in the fresh
        # profile folder, away from the user's home.
        environment = dict(os.environ, HOME=self._profile,
                           XDG_CONFIG_HOME=os.path.join(self._profile, "config"),
                           XDG_CACHE_HOME=os.path.join(self._profile, "cache"))
        self._driver = subprocess.Popen(
            [chromedriver, f"--port={port}"],
            stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT,
            env=environment, start_new_session=True)
        deadline = time.monotonic() + start_timeout
        while True:
            if self._driver.poll() is not None:
                raise WebDriverError("session not created",
                                     f"chromedriver exited with {self._driver.returncode}: "
                                     + self.driver_log())
            try:
                if (_request("GET", self.base + "/status", timeout=2) or {}).get("ready"):
                    return
            except (OSError, WebDriverError):
                pass
            if time.monotonic() > deadline:
                raise WebDriverError("session not created",
                                     "chromedriver did not answer: " + self.driver_log())
            time.sleep(0.1)

    def _open_session(self, chromium, extra_args, implicit_wait, page_load_timeout):
        args = CHROMIUM_ARGS + [f"--user-data-dir={self._profile}"] + extra_args
        capabilities = {
            "browserName": "chrome",
            "goog:chromeOptions": {"binary": chromium, "args": args},
        }
        reply = _request("POST", self.base + "/session",
                         {"capabilities": {"alwaysMatch": capabilities}})
        self.session = reply["sessionId"]
        self.command("POST", "/timeouts", {"implicit": int(implicit_wait * 1000),
                                          "pageLoad": int(page_load_timeout * 1000)})

    def driver_log(self):
        if not self._log:
            return ""
        try:
            with open(self._log.name, encoding="utf-8", errors="replace") as log:
                return log.read()[-4000:]
        except OSError:
            return ""

    def command(self, method, path, body=None):
        """Sends a command of the session: path below /session/ID."""
        if not self.session:
            raise WebDriverError("invalid session id", "the session has ended")
        return _request(method, f"{self.base}/session/{self.session}{path}", body)

    # Pages

    def navigate(self, url):
        self.command("POST", "/url", {"url": url})

    @property
    def url(self):
        return self.command("GET", "/url")

    @property
    def title(self):
        return self.command("GET", "/title")

    @property
    def page_source(self):
        return self.command("GET", "/source")

    def execute(self, script, *args):
        """Runs JavaScript in the page; element arguments are passed as
        elements."""
        converted = [{ELEMENT_KEY: arg.reference} if isinstance(arg, Element) else arg
                     for arg in args]
        return self.command("POST", "/execute/sync", {"script": script, "args": converted})

    def screenshot(self, path):
        """Saves the visible part of the page as a PNG file."""
        png = base64.b64decode(self.command("GET", "/screenshot"))
        with open(path, "wb") as file:
            file.write(png)
        return path

    # Elements

    def find(self, css):
        """The first element matching css; waits up to the implicit wait."""
        found = self.command("POST", "/element", {"using": "css selector", "value": css})
        return Element(self, found[ELEMENT_KEY])

    def find_all(self, css):
        found = self.command("POST", "/elements", {"using": "css selector", "value": css})
        return [Element(self, item[ELEMENT_KEY]) for item in found]

    def wait_for(self, condition, timeout=10.0, interval=0.2, what="the condition"):
        """Calls condition() until it returns something true, and returns
        that; WebDriver errors along the way count as not yet."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                result = condition()
                if result:
                    return result
            except WebDriverError:
                pass
            if time.monotonic() > deadline:
                raise WebDriverError("timeout", f"waited {timeout} s for {what}")
            time.sleep(interval)

    # The end

    def quit(self):
        """Ends the session and stops chromedriver with its browser; safe to
        call more than once."""
        if self._previous_sigterm is not None:
            # No second SIGTERM cuts the clean-up short.
            signal.signal(signal.SIGTERM, signal.SIG_IGN)
        if self.session:
            try:
                _request("DELETE", f"{self.base}/session/{self.session}", timeout=20)
            except (OSError, WebDriverError):
                pass
            self.session = None
        if self._driver is not None:
            if self._driver.poll() is None:
                try:
                    os.killpg(self._driver.pid, signal.SIGTERM)
                    self._driver.wait(timeout=10)
                except (ProcessLookupError, subprocess.TimeoutExpired):
                    pass
            # Whatever of the group is left, the browser included.
            try:
                os.killpg(self._driver.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            if self._driver.poll() is None:
                self._driver.wait()
            self._driver = None
        if self._profile:
            shutil.rmtree(self._profile, ignore_errors=True)
            self._profile = None
        if self._log:
            self._log.close()
            try:
                os.unlink(self._log.name)
            except OSError:
                pass
            self._log = None
        if self._previous_sigterm is not None:
            signal.signal(signal.SIGTERM, self._previous_sigterm)
            self._previous_sigterm = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.quit()
        return False


def _raise_system_exit(signum, _frame):
    raise SystemExit(128 + signum)
