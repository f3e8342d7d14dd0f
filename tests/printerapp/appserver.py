"""zanto-printer-app run by a script test: its server on a free loopback
port with a state folder of its own, printers added with its `add`
subcommand, stopped with SIGTERM.

PAPPL's subcommands find their server by a local socket named after the
program ($TMPDIR/NAMEUID.sock, or /run/NAME.sock for root), so each server
runs the program through a link of its own name (zanto-printer-app-PORT) in
a folder of its own, which is also its $TMPDIR: servers of tests that run at
the same time never meet. The same as the C++ tests' PrinterAppProcess.

    with AppServer(program, workdir) as app:
        app.add_printer("Text", "generic-text", "file:" + path)
        print(app.printer_uri("Text"))
"""
import os
import signal
import socket
import subprocess
import time
import urllib.error
import urllib.request


def free_loopback_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class AppServer:
    def __init__(self, program, workdir, log_level="info", environment=None):
        self.port = free_loopback_port()
        self.workdir = os.path.abspath(workdir)
        self.state = os.path.join(self.workdir, "state")
        self.temporary = os.path.join(self.workdir, "tmp")
        for folder in (self.state, self.temporary):
            os.makedirs(folder, exist_ok=True)
        self.program = os.path.join(self.temporary, f"zanto-printer-app-{self.port}")
        if not os.path.lexists(self.program):
            os.symlink(os.path.abspath(program), self.program)
        self.log_path = os.path.join(self.workdir, "server.log")
        self.log_level = log_level
        self.extra_environment = environment or {}
        self.process = None

    @property
    def url(self):
        return f"http://127.0.0.1:{self.port}"

    def printer_uri(self, name):
        return f"ipp://127.0.0.1:{self.port}/ipp/print/{name}"

    def environment(self):
        environment = dict(os.environ)
        environment.update(self.extra_environment)
        environment["TMPDIR"] = self.temporary
        # PAPPL's and CUPS's own allocations that live to the end of a
        # process, in a build with the leak checker.
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir,
                                    "support", "pappl-lsan.supp")
        environment["LSAN_OPTIONS"] = \
            f"suppressions={os.path.normpath(suppressions)}:print_suppressions=0"
        return environment

    def start(self):
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen(
                [self.program, "server", "-o", f"state-dir={self.state}",
                 "-o", f"server-port={self.port}", "-o", f"log-level={self.log_level}"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                cwd=self.state, env=self.environment())
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError(f"zanto-printer-app ended ({self.process.returncode}):\n"
                                   + self.log())
            if self._answers():
                return self
            time.sleep(0.1)
        self.stop()
        raise RuntimeError("zanto-printer-app does not answer:\n" + self.log())

    def _answers(self):
        try:
            with urllib.request.build_opener(urllib.request.ProxyHandler({})).open(
                    self.url + "/", timeout=5) as response:
                return response.status == 200
        except (OSError, urllib.error.URLError):
            return False

    def run(self, *arguments, timeout=60):
        """A subcommand against this server; its CompletedProcess."""
        return subprocess.run([self.program, *arguments], capture_output=True, text=True,
                              timeout=timeout, env=self.environment(), cwd=self.state)

    def add_printer(self, name, profile, device_uri):
        done = self.run("add", "-d", name, "-m", profile, "-v", device_uri)
        if done.returncode != 0:
            raise RuntimeError(f"add {name}: {done.stdout}{done.stderr}")

    def stop(self):
        """SIGTERM, then the exit status (a crash is a negative signal)."""
        if not self.process:
            return 0
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        # PAPPL leaves root's socket behind in /run.
        if os.geteuid() == 0:
            try:
                os.remove(f"/run/{os.path.basename(self.program)}.sock")
            except FileNotFoundError:
                pass
        return self.process.returncode

    def log(self):
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as log:
                return log.read()
        except OSError:
            return ""

    def __enter__(self):
        return self.start()

    def __exit__(self, *failure):
        self.stop()
        return False
