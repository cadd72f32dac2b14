#!/usr/bin/env python3
"""Names every test that was skipped in a test run: whole ctest tests that ended with their skip
status (the *.log files of ctest --output-log in LOGS) and GoogleTest cases skipped inside a test
that passed (the XML reports under LOGS/gtest). Usage: scripts/skipped-tests.sh LOGS"""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

logs = pathlib.Path(sys.argv[1])
skipped = []
for log in sorted(logs.glob("*.log")):
    for m in re.finditer(r"Test +#\d+: (\S+) .*\*\*\*Skipped", log.read_text(errors="replace")):
        skipped.append(f"{log.stem}: {m.group(1)}")
for report in sorted(logs.glob("gtest/**/*.xml")):
    try:
        root = ET.parse(report).getroot()
    except ET.ParseError:
        skipped.append(f"{report.parent.name}/{report.name}: unreadable report")
        continue
    for case in root.iter("testcase"):
        if case.get("result") == "skipped" or case.find("skipped") is not None:
            why = case.find("skipped")
            reason = (why.get("message") or "").strip().splitlines()[-1:] if why is not None else []
            skipped.append(f"{report.parent.name}/{report.stem}: {case.get('classname')}.{case.get('name')}"
                           + (f" ({reason[0]})" if reason else ""))
for line in skipped:
    print(f"test-all: skipped: {line}")
if not skipped:
    print("test-all: no test was skipped")
