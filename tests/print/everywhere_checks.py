"""CUPS's IPP Everywhere checks (ipp-everywhere.test, which includes ipp-2.0.test and ipp-1.1.test) as ipptool runs
them, from a copy made here: the copy leaves out the few checks that no printer application on PAPPL 1.3.1 for these
printers can pass, each named with its reason, and has stand-ins for the sample documents that Debian does not ship
beside the test files."""
import plistlib
import re
import subprocess
from pathlib import Path

import pages

CUPS_TESTS = Path("/usr/share/cups/ipptool")
FILES = ("ipp-everywhere.test", "ipp-2.0.test", "ipp-1.1.test")

# (file, check, the EXPECT's attribute, why it cannot pass here). Everything else in the three files must pass.
LEFT_OUT = [
    ("ipp-1.1.test", "RFC 8011 section 4.2.5: Get-Printer-Attributes Operation (default)",
     "?orientation-requested-default",
     "PAPPL's default is 'none' (7), which IPP added after RFC 8011 and which turns a picture wider than the label "
     "to fit it; CUPS 2.4's files still allow only 3 to 6"),
    ("ipp-2.0.test", "PWG 5100.12 section 6.2 - Required Printer Description Attributes",
     "orientation-requested-default", "as above"),
    ("ipp-1.1.test", "Print-Job with job-hold-until", "job-state-reasons",
     "PAPPL (1.3.1, still in 1.4.9) lists a job's reasons up to 'warnings-detected' only: the reason of a job "
     "held with job-hold-until comes after it, so the answer has no job-state-reasons at all"),
    ("ipp-everywhere.test", "PWG 5100.14 section 5.1/5.2 - Required Operations and Attributes",
     "identify-actions-default",
     "the printers' command set, as far as it is known here, has no command to beep, flash or show anything: "
     "nothing to identify a printer by"),
    ("ipp-everywhere.test", "PWG 5100.14 section 5.1/5.2 - Required Operations and Attributes",
     "identify-actions-supported", "as above"),
    ("ipp-everywhere.test", "PWG 5100.14 section 5.1/5.2 - Required Operations and Attributes",
     "overrides-supported", "PAPPL (1.3 and 1.4) has no page overrides: claiming them would be false"),
    ("ipp-everywhere.test", "PWG 5100.14 section 5.1/5.2 - Required Operations and Attributes",
     "printer-supply", "the printers' command set has no status or supply query: there is no level to report"),
    ("ipp-everywhere.test", "PWG 5100.14 section 5.1/5.2 - Required Operations and Attributes",
     "printer-supply-description", "as above"),
]


def _without(text, file, left_out):
    """`text` of `file` without the EXPECT lines of `left_out`, and their continuation lines. Each must be found in
    its check: a changed test file has its checks looked at again."""
    lines = text.splitlines(keepends=True)
    blocks = _check_names(lines)
    dropped = set()
    for name, attribute in left_out:
        pattern = re.compile(rf"^\s*EXPECT\s+{re.escape(attribute)}\s")
        found = [i for i, line in enumerate(lines) if blocks[i] == name and pattern.match(line)]
        if not found:
            raise AssertionError(f"{file}: no EXPECT {attribute} in '{name}': look at the checks left out again")
        for i in found:
            dropped.add(i)
            # An EXPECT goes on in indented lines that start with no directive of their own.
            j = i + 1
            while j < len(lines) and re.match(r"^\s+(WITH-|IN-GROUP|OF-TYPE|COUNT|SAME-COUNT)", lines[j]):
                dropped.add(j)
                j += 1
    return "".join(line for i, line in enumerate(lines) if i not in dropped)


def _check_names(lines):
    """For each line, the NAME of the check it is in ("" outside checks): a check runs from a "{" line to a "}"
    line, both at the line's start."""
    names = [""] * len(lines)
    start = None
    for i, line in enumerate(lines):
        if line.startswith("{"):
            start = i
        elif line.startswith("}") and start is not None:
            found = next((re.match(r'^\s*NAME\s+"(.*)"', lines[k]) for k in range(start, i)
                          if re.match(r'^\s*NAME\s', lines[k])), None)
            for k in range(start, i + 1):
                names[k] = found[1] if found else ""
            start = None
    return names


def make_copy(folder):
    """The three files, with LEFT_OUT taken out, in `folder`, and stand-ins for the documents they name; returns
    them in the order they are run."""
    folder.mkdir(parents=True, exist_ok=True)
    for file in FILES:
        left_out = [(name, attribute) for where, name, attribute, _ in LEFT_OUT if where == file]
        text = (CUPS_TESTS / file).read_text()
        # The files are run one after the other instead (see run).
        text = re.sub(r"^INCLUDE .*\n", "", text, flags=re.M)
        (folder / file).write_text(_without(text, file, left_out))
        # ipptool reads every FILE it parses, even in a check it skips (SKIP-IF-MISSING included). These sample
        # documents are for A4 and Letter paper and for 150 to 720 dpi, which the printers do not take: their checks
        # are skipped.
        for name in set(re.findall(r"^\s*FILE\s+([\w./-]+)\s*$", text, re.M)):
            if not (folder / name).exists():
                (folder / name).parent.mkdir(parents=True, exist_ok=True)
                _stand_in(folder / name)
    return [folder / file for file in reversed(FILES)]


def _stand_in(path):
    if path.suffix == ".pdf":
        path.write_bytes(pages.pdf(210, 297, [(20, 20, 60, 40)]))
    elif path.suffix == ".ps":
        path.write_text("%!PS\n72 72 144 72 rectfill\nshowpage\n")
    elif path.suffix in (".jpg", ".jpeg"):
        picture = path.with_suffix(".png")
        picture.write_bytes(pages.png(400, 304, [(96, 48, 200, 104)]))
        pages.jpeg(picture, path)
        picture.unlink()
    elif path.suffix == ".pwg":
        path.write_bytes(pages.pwg_raster(16, 16, [(4, 4, 12, 12)]))
    else:
        raise AssertionError(f"no stand-in for {path.name}")


def run(test_files, printer_uri, document, timeout=300):
    """ipptool on each file, with every check run (-I) whatever failed before it; returns
    ([(name, outcome, errors)], problems) with outcome "pass", "fail" or "skip", and the file-level errors."""
    checks, problems = [], []
    for test_file in test_files:
        # One file a run: ipptool 2.4's plist report of several files, or of an included one, is not well formed.
        result = subprocess.run(["ipptool", "-I", "-X", "-f", str(document), printer_uri, str(test_file)],
                                capture_output=True, timeout=timeout)
        end = result.stdout.rfind(b"</plist>")
        if end < 0:
            problems.append(f"{test_file.name}: {result.stderr.decode(errors='replace')}")
            continue
        report = plistlib.loads(result.stdout[:end + len(b"</plist>")])  # a summary line follows it
        if report.get("ErrorMessage"):
            problems.append(f"{test_file.name}: {report['ErrorMessage']}")
        for check in report.get("Tests") or []:
            outcome = "skip" if check.get("Skipped") else "pass" if check.get("Successful") else "fail"
            checks.append((check.get("Name", "?"), outcome, check.get("Errors") or []))
    return checks, problems
