#!/usr/bin/env python3
"""CUPS's IPP conformance tests (ipptool's ipp-2.0.test, which includes
ipp-1.1.test, and ipp-everywhere.test) against zanto-printer-app's printers:
a 24-pin ESC/P and an ESC/POS receipt printer, which print graphics, and a
plain text one, each on a file: device.

    ipp_conformance.py PROGRAM WORKDIR

For each printer and test file it runs
    ipptool -t -I -f doc.txt ipp://127.0.0.1:PORT/ipp/print/NAME FILE
(-I: go on after a failed test, so that every check is seen) and prints its
whole output. A failed check passes only when KNOWN_FAILURES names it, with
the reason; any other failure, a test file that does not run to its end, or
a server that does not end cleanly fails the test (exit status 1).
ipp-1.1.test prints documents of its own (document-a4.pdf, color.jpg ...)
from the folder it runs in; they are made here.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from appserver import AppServer  # noqa: E402

TESTS = ["ipp-2.0.test", "ipp-everywhere.test"]
PRINTERS = [("Dot24", "epson-24pin"), ("Receipt", "escpos-80mm"), ("Text", "generic-text")]

# (test name, expectation) patterns of failed checks that are known, each
# with why it fails. An expectation is ipptool's "EXPECTED: ..." line.
KNOWN_FAILURES = [
    # PAPPL 1.3.1 gives uri-security-supported "none,tls" for every printer
    # but lists one printer-uri-supported (ipp:), and one
    # uri-authentication-supported: three attributes that must have as many
    # values. PAPPL makes all three itself.
    (r"Get-Printer-Attributes Operation \(default\)",
     r"printer-uri-supported \(1 values\) SAME-COUNT-AS uri-security-supported"),
    (r"Get-Printer-Attributes Operation \(default\)",
     r"uri-security-supported \(2 values\) SAME-COUNT-AS uri-authentication-supported"),
    # PAPPL counts printer-up-time in whole seconds from the start and says
    # 0 in the first second; a test run that begins at once can see it.
    (r"Get-Printer-Attributes Operation \(default\)", r"printer-up-time WITH-VALUE \">0\""),
    # Attributes PAPPL 1.3.1 does not have at all (no driver data or call
    # sets them): overrides (page ranges of their own), preferred
    # attributes, rendering intents, and pwg-raster-document-sheet-back,
    # which it gives only to printers that print both sides.
    (r"Required Operations and Attributes", r"overrides-supported$"),
    (r"Get-Printer-Attributes Operation \(default\)", r"overrides-supported$"),
    (r"Required Operations and Attributes", r"preferred-attributes-supported$"),
    (r"Required Operations and Attributes", r"print-rendering-intent-(default|supported)$"),
    (r"Required Operations and Attributes", r"pwg-raster-document-sheet-back$"),
    # Identify-Printer: a character printer has no way to make itself known
    # that its language has in common with the others (BEL rings an Epson
    # and opens a Star printer's cash drawer), so the driver offers none.
    (r"Required Operations and Attributes", r"identify-actions-(default|supported)"),
    # PAPPL 1.3.1 answers a Print-Job whose job is held (job-hold-until
    # indefinite) without job-state-reasons; it keeps the job's reasons
    # itself.
    (r"Print-Job with job-hold-until", r"^job-state-reasons$"),
    # Supply levels: character printers tell none (ribbons and paper rolls
    # have no gauge the status query reads), so the driver reports none.
    (r"Required Operations and Attributes", r"printer-supply(-description)?$"),
]

RESULT = re.compile(r"^    (\S.*?)\s+\[(PASS|FAIL|SKIP)\]$")
FILE_HEADER = re.compile(r'^"(.*)":$')


def known(test, expectation):
    return any(re.search(name, test) and re.search(check, expectation)
               for name, check in KNOWN_FAILURES)


def parse(output):
    """[(test file, test name, result, [expectations that failed])]."""
    results = []
    current_file = None
    for line in output.splitlines():
        header = FILE_HEADER.match(line)
        if header:
            current_file = os.path.basename(header.group(1))
            continue
        result = RESULT.match(line)
        if result:
            results.append((current_file, result.group(1), result.group(2), []))
            continue
        if results and results[-1][2] == "FAIL":
            detail = line.strip()
            if detail.startswith("EXPECTED: "):
                results[-1][3].append(detail[len("EXPECTED: "):])
            elif detail.startswith(("IPP request failed", "status-code = server-error")):
                results[-1][3].append(detail)
    return results


def minimal_pdf(path, media_box):
    """A one-page PDF with a line of text."""
    content = b"BT /F1 12 Tf 72 720 Td (IPP conformance test page) Tj ET"
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Contents 4 0 R "
        b"/Resources << /Font << /F1 5 0 R >> >> >>" % media_box,
        b"<< /Length %d >>\nstream\n%s\nendstream" % (len(content), content),
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>",
    ]
    data = b"%PDF-1.4\n"
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(data))
        data += b"%d 0 obj\n%s\nendobj\n" % (number, body)
    xref = len(data)
    data += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    data += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    data += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, xref)
    with open(path, "wb") as out:
        out.write(data)


def flat_jpeg(path, width, height, components):
    """A baseline JPEG of one mid-grey tone: each 8x8 block's difference of
    DC is 0 and it has no AC values, each coded by a one-bit Huffman code."""
    def segment(marker, payload):
        return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload

    data = b"\xff\xd8"
    data += segment(0xDB, b"\x00" + b"\x01" * 64)  # quantisation table 0: all 1
    frame = struct.pack(">BHHB", 8, height, width, components)
    frame += b"".join(struct.pack(">BBB", c + 1, 0x11, 0) for c in range(components))
    data += segment(0xC0, frame)
    one_code = b"\x01" + b"\x00" * 15  # one code of length 1 ...
    data += segment(0xC4, b"\x00" + one_code + b"\x00")  # DC table 0: size 0
    data += segment(0xC4, b"\x10" + one_code + b"\x00")  # AC table 0: EOB
    scan = bytes([components]) + b"".join(bytes([c + 1, 0x00]) for c in range(components))
    data += segment(0xDA, scan + b"\x00\x3f\x00")
    blocks = ((width + 7) // 8) * ((height + 7) // 8) * components
    bits = "00" * blocks
    bits += "1" * (-len(bits) % 8)  # padding with ones
    data += bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
    data += b"\xff\xd9"
    with open(path, "wb") as out:
        out.write(data)


# PWG raster's colour spaces, bits per colour and colours of the sample
# files' types, and the value of a blank (white) sample.
RASTER_TYPES = {
    "black-1": (3, 1, 1, 0), "sgray-8": (18, 8, 1, 255), "srgb-8": (19, 8, 3, 255),
    "srgb-16": (19, 16, 3, 255), "cmyk-8": (6, 8, 4, 0),
}
# Page sizes in points of the sample files' names.
PAGE_SIZES = {"4x6": (288, 432), "a4": (595, 842), "letter": (612, 792)}


def blank_pwg_raster(path, dpi, raster_type, page):
    """A one-page PWG raster file of a blank page at dpi: its header, and its
    lines as PackBits runs of white, up to 256 lines to a record."""
    space, bits, colours, white = RASTER_TYPES[raster_type]
    width, height = (round(size * dpi / 72) for size in page)
    pixel_bytes = max(1, bits * colours // 8)
    line_bytes = (width * bits * colours + 7) // 8
    header = bytearray(1796)
    header[0:9] = b"PwgRaster"

    def put(offset, *values):
        struct.pack_into(">%dI" % len(values), header, offset, *values)

    put(276, dpi, dpi)                 # HWResolution
    put(340, 1)                        # NumCopies
    put(352, *page)                    # PageSize
    put(372, width, height)            # Width, Height
    put(384, bits, bits * colours, line_bytes, 0, space)
    put(420, colours)                  # NumColors
    put(452, 1)                        # TotalPageCount
    put(456, 1, 1)                     # Cross-feed and feed transforms
    put(472, width, height)            # ImageBoxRight, ImageBoxBottom
    units = line_bytes // pixel_bytes
    line = bytearray()
    while units > 0:
        run = min(units, 128)
        line += bytes([run - 1]) + bytes([white]) * pixel_bytes
        units -= run
    data = bytearray(b"RaS2") + header
    lines = height
    while lines > 0:
        repeat = min(lines, 256)
        data += bytes([repeat - 1]) + line
        lines -= repeat
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def make_raster_samples(folder, test_file):
    """The PWG raster samples test_file prints (ipptool reads every file a
    test names, also of the tests it skips): blank pages of their size,
    resolution and type."""
    with open(test_file, encoding="utf-8") as tests:
        names = set(re.findall(r"FILE\s+(pwg-raster-samples\S+\.pwg)", tests.read()))
    for name in names:
        found = re.search(r"-(\d+)dpi/([a-z]+-\d+)/.*?(4x6|a4|letter)", name)
        blank_pwg_raster(os.path.join(folder, name), int(found.group(1)), found.group(2),
                         PAGE_SIZES[found.group(3)])


def make_documents(folder):
    with open(os.path.join(folder, "doc.txt"), "w", encoding="ascii") as text:
        text.write("IPP conformance test\nThe second line of the document.\n")
    for name, box in (("document-a4", (595, 842)), ("document-letter", (612, 792))):
        minimal_pdf(os.path.join(folder, name + ".pdf"), box)
        with open(os.path.join(folder, name + ".ps"), "w", encoding="ascii") as ps:
            ps.write("%%!PS-Adobe-3.0\n%%%%BoundingBox: 0 0 %d %d\n"
                     "/Courier findfont 12 scalefont setfont 72 720 moveto\n"
                     "(IPP conformance test page) show showpage\n%%%%EOF\n" % box)
    flat_jpeg(os.path.join(folder, "color.jpg"), 64, 48, 3)
    flat_jpeg(os.path.join(folder, "gray.jpg"), 64, 48, 1)


def job_started_twice(log):
    """The job PAPPL 1.3.1 started a second time while the first run of it
    went on, if the server log shows one; else None."""
    running = set()
    for line in log.splitlines():
        event = re.search(r"\[Job (\d+)\] (Starting print job|Completed|Canceled|Aborted)", line)
        if not event:
            continue
        job = event.group(1)
        if event.group(2) != "Starting print job":
            running.discard(job)
        elif job in running:
            return job
        else:
            running.add(job)
    return None


def run_tests(program, ipptool, tests_folder, run):
    """One server, its printers and every test file; (summary lines,
    failures not known, the server's log)."""
    unexpected = []
    summary = []
    app = AppServer(program, os.path.join(run, "app"))
    app.start()
    try:
        for name, profile in PRINTERS:
            device = os.path.join(run, name + ".out")
            open(device, "wb").close()
            app.add_printer(name, profile, "file:" + device)
        for name, profile in PRINTERS:
            for test in TESTS:
                command = [ipptool, "-t", "-I", "-f", "doc.txt", app.printer_uri(name),
                           os.path.join(tests_folder, test)]
                print(f"==== {name} ({profile}): {' '.join(command)}", flush=True)
                done = subprocess.run(command, cwd=run, capture_output=True, text=True,
                                      timeout=600)
                print(done.stdout + done.stderr, flush=True)
                results = parse(done.stdout)
                if "cannot be read" in done.stderr or not results:
                    unexpected.append(f"{name} {test}: did not run to its end")
                counts = {}
                for file, test_name, result, failed in results:
                    counts.setdefault(file, {"PASS": 0, "FAIL": 0, "SKIP": 0})[result] += 1
                    if result != "FAIL":
                        continue
                    for expectation in failed or ["(no expectation named)"]:
                        if not known(test_name, expectation):
                            unexpected.append(f"{name} {file}: {test_name}: {expectation}")
                for file, count in counts.items():
                    summary.append(f"{name:8} {test:20} {file:20} pass {count['PASS']:3} "
                                   f"fail {count['FAIL']:3} skip {count['SKIP']:3}")
    finally:
        status = app.stop()
    if status != 0:
        unexpected.append(f"the server ended with status {status}")
    log = app.log()
    for line in log.splitlines():
        if re.search(r"runtime error|AddressSanitizer|terminate called", line):
            unexpected.append("server: " + line)
    return summary, unexpected, log


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    program, workdir = argv[1:]
    ipptool = shutil.which("ipptool")
    tests_folder = "/usr/share/cups/ipptool"
    if not ipptool or not os.path.isdir(tests_folder):
        print("SKIP: ipptool and CUPS's tests (cups-ipp-utils) are not installed")
        return 77
    os.makedirs(workdir, exist_ok=True)
    run = tempfile.mkdtemp(prefix="ipp-", dir=os.path.abspath(workdir))
    make_documents(run)
    make_raster_samples(run, os.path.join(tests_folder, "ipp-everywhere.test"))
    summary, unexpected, log = run_tests(program, ipptool, tests_folder, run)
    # The tests send jobs fast, as a job ends: where PAPPL 1.3.1 would start
    # the next one twice (jobstartguard.cpp keeps it from that).
    twice = job_started_twice(log)
    if twice:
        unexpected.append(f"the server started job {twice} a second time while it ran")
    print("==== Summary (file: the test file a result comes from)")
    print("\n".join(summary))
    if unexpected:
        print("==== Failures not known:")
        print("\n".join(unexpected))
        return 1
    print("==== Every failure is a known one")
    shutil.rmtree(run, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
