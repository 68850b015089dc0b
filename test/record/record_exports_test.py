#!/usr/bin/env python3
"""The calibration record from outside, as a lab's script sees it: a Full Sequence on a faulty
simulated bench with a register, a certificate, JSON on standard output and JUnit; the JSON
checked against the published schema and against the result table, the JUnit read by a
standard XML parser, the certificate's text by pdftotext; then the due-date gate.

Usage: record_exports_test.py VERIDANE SCHEMA.json"""
import json
import math
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

import jsonschema

PROGRAM, SCHEMA = sys.argv[1], sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, file=sys.stderr)


REGISTER = """
[[standard]]
model = "Fluke 5100B"
serial = "CAL-SN-4471"
asset = "LAB-0012"
certificate = "CERT-0412"
calibrated = {calibrator_calibrated}
due = {calibrator_due}

[[standard]]
model = "SG 5030"
serial = "SG-SN-0311"
asset = "LAB-0020"
certificate = "CERT-0077"
calibrated = 2026-01-10
due = 2098-01-10

[[standard]]
model = "CG 5011"
serial = "CG-SN-0042"
asset = "LAB-0030"
certificate = "CERT-0100"
calibrated = 2026-01-10
due = 2098-02-11

[[standard]]
model = "AT 5010"
serial = "AT-SN-0007"
asset = "LAB-0040"
certificate = "CERT-0200"
calibrated = 2026-01-10
due = 2098-03-12
"""


def certificate_value(value, unit):
    """The certificate's number format: %.5g of the value scaled to an engineering prefix."""
    exponent = 0
    if value != 0:
        exponent = min(12, max(-12, math.floor(math.log10(abs(value)) / 3) * 3))
    prefix = {-12: "p", -9: "n", -6: "\u00b5", -3: "m", 0: "", 3: "k", 6: "M", 9: "G", 12: "T"}[exponent]
    return "%.5g %s%s" % (value / math.pow(10.0, exponent), prefix, unit)


def run(folder, *arguments):
    environment = dict(os.environ, APPDATA=folder, QT_QPA_PLATFORM="offscreen", HOME=folder,
                       XDG_CONFIG_HOME=os.path.join(folder, "config"))
    return subprocess.run([PROGRAM, "--headless", *arguments], capture_output=True, env=environment, timeout=120)


with tempfile.TemporaryDirectory() as folder:
    register = os.path.join(folder, "standards.toml")
    with open(register, "w") as out:
        out.write(REGISTER.format(calibrator_calibrated="2026-03-02", calibrator_due="2098-03-02"))
    pdf = os.path.join(folder, "certificate.pdf")
    junit = os.path.join(folder, "run.xml")
    printout = os.path.join(folder, "printout.pdf")
    done = run(folder, "--bench", "sim", "--run", "full", "--technician", "virtual", "--serial", "B010100",
               "--standards", register, "--certificate", pdf, "--json", "-", "--junit", junit, "--print", printout,
               "--temperature", "23.5", "--customer", "Acme")
    stderr = done.stderr.decode("utf-8")
    check(done.returncode == 0, "a healthy bench ends with exit 0, not %d\n%s" % (done.returncode, stderr[-1500:]))

    # Standard output holds the JSON document alone, and it follows the schema.
    with open(SCHEMA) as schema_file:
        schema = json.load(schema_file)
    document = json.loads(done.stdout.decode("utf-8"))
    jsonschema.validate(document, schema)
    check(len(document["runs"]) == 1, "one run")
    the_run = document["runs"][0]
    steps = [step for test in the_run["tests"] for step in test["steps"]]
    check(len(steps) > 20, "a Full Sequence has its rows: %d" % len(steps))
    check(the_run["context"]["environment"]["temperature_c"] == 23.5, "temperature recorded")
    check(the_run["context"]["overdue_standards"] is False, "no overdue standard")
    check({s["serial"] for s in the_run["context"]["standards"]} ==
          {"CAL-SN-4471", "SG-SN-0311", "CG-SN-0042", "AT-SN-0007"}, "every standard recorded")

    # The self calibration opens the run as a step of its own, with no numbers: what the scope
    # answered instead. The table shows no row for it.
    self_cal = the_run["tests"][0]
    check(self_cal["number"] == 0 and self_cal["name"] == "Self Cal" and self_cal["verdict"] == "PASS",
          "the self calibration stored first: %s" % self_cal)
    check([(s["step"], s["text"], s["measured"], s["nominal"]) for s in self_cal["steps"]] ==
          [("*CAL?", "answered 0", None, None)], "the scope's answer as its measured cell: %s" % self_cal["steps"])
    check("answered 0" not in stderr, "no table row for the self calibration")

    # Row for row, the JSON is the table the technician saw (on standard error with --json -).
    position = 0
    for step in [step for test in the_run["tests"][1:] for step in test["steps"]]:
        found = stderr.find(step["text"], position)
        check(found >= 0, "table row in order: " + step["text"])
        position = max(position, found)

    # The certificate: every standard's serial and due date, every step's reading and verdict,
    # the digest and the simulated mark.
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True).stdout.decode("utf-8")
    flat = " ".join(text.split())
    for standard in the_run["context"]["standards"]:
        check(standard["serial"] in text and standard["due"] in text, "standard on the certificate: " + standard["serial"])
    for step in steps:
        reading = "no reading" if step["measured"] is None else certificate_value(step["measured"], step["unit"])
        if step["nominal"] is None:
            reading = step["text"]  # a step judged on an answer
        check(reading + " " + step["verdict"] in flat, "reading and verdict on the certificate: %s %s %s" %
              (step["step"], reading, step["verdict"]))
        check(step["step"] in flat, "step on the certificate: " + step["step"])
    check(the_run["sha256"] in flat, "the run's digest on the certificate")
    # The bandwidth table's reference is the scope's 50 kHz reading and is named so, not "Nominal".
    bandwidth = flat[flat.find("Test 3: Analog Bandwidth"):flat.find("Test 4:")]
    check("Reference" in bandwidth and "reading" in bandwidth and "Nominal" not in bandwidth,
          "the bandwidth reference named as a reading: %s" % bandwidth[:200])
    check("Nominal" in flat[flat.find("Test 1:"):flat.find("Test 2:")], "other tests keep their nominal column")
    pages = text.count("\f") or 1
    check(pages >= 2 and text.count("SIMULATED - NOT A CALIBRATION") >= 2 * pages, "the simulated mark on every page")
    check("page 1 of %d" % pages in flat and "page %d of %d" % (pages, pages) in flat, "page x of y")

    # The printout of the display says on every page, as the certificate does, that the bench
    # was simulated.
    printed = subprocess.run(["pdftotext", "-layout", printout, "-"], capture_output=True).stdout.decode("utf-8")
    printed_pages = printed.rstrip("\f").count("\f") + 1
    check(printed_pages >= 2 and printed.count("SIMULATED - NOT A CALIBRATION") == 2 * printed_pages,
          "the simulated mark at the top and foot of every printed page: %d pages, %d marks" %
          (printed_pages, printed.count("SIMULATED - NOT A CALIBRATION")))

    # JUnit times: seconds on testsuites, every testsuite and testcase; the whole the sum of the tests.
    junit_root = ElementTree.parse(junit).getroot()
    suite_times = [float(suite.get("time", "-1")) for suite in junit_root.findall("testsuite")]
    case_times = [float(case.get("time", "-1")) for case in junit_root.iter("testcase")]
    check(suite_times and case_times and min(suite_times + case_times) >= 0, "a time on every testsuite and testcase")
    check(abs(float(junit_root.get("time", "-1")) - sum(suite_times)) < 0.001, "the run's time is its tests' sum")

    # The faulty bench by hand: JUnit read by a standard parser, one failure per failed step. The
    # technician answers No when the trigger test's signal cannot be set: the sequence stops
    # there, and the test fails on that finding (a failure of its own) instead of going
    # unrecorded, so the certificate covers every test and names the finding.
    junit = os.path.join(folder, "faulty.xml")
    partial = os.path.join(folder, "partial.pdf")
    faulty = run(folder, "--bench", "sim:bandwidth-fault", "--run", "full", "--technician", "virtual",
                 "--standards", register, "--json", "-", "--junit", junit, "--certificate", partial, "--partial")
    check(faulty.returncode == 1, "the faulty bench ends with exit 1, not %d" % faulty.returncode)
    faulty_run = json.loads(faulty.stdout.decode("utf-8"))
    jsonschema.validate(faulty_run, schema)
    faulty_steps = [step for test in faulty_run["runs"][0]["tests"] for step in test["steps"]]
    failed = [step for step in faulty_steps if step["verdict"] in ("FAIL", "not measurable")]
    check(len(failed) == 9, "the bandwidth fault fails the nine CH2 rows: %d" % len(failed))
    check(len(failed) == sum(1 for step in faulty_steps if step["text"].endswith(" FAIL")), "verdicts match the texts")
    tree = ElementTree.parse(junit)
    check(len(tree.getroot().findall("testsuite")) == len(faulty_run["runs"][0]["tests"]), "a testsuite per test")
    stopped = [test for test in faulty_run["runs"][0]["tests"] if test["name"] == "Edge Trigger Sensitivity"][0]
    check(stopped["verdict"] == "FAIL" and stopped.get("finding") == "Edge Trigger Sensitivity - SIGNAL COULD NOT BE "
          "SET: TEST FAILED. (\"Large Amplitude Error\" answered No)",
          "the trigger test answered No fails on its finding: %s" % {k: v for k, v in stopped.items() if k != "steps"})
    check(len(tree.getroot().findall(".//failure")) == len(failed) + 1, "JUnit failures %d vs %d and the finding" %
          (len(tree.getroot().findall(".//failure")), len(failed)))
    check(int(tree.getroot().get("failures")) == len(failed) + 1, "the failure count of testsuites")
    partial_text = " ".join(subprocess.run(["pdftotext", partial, "-"], capture_output=True).stdout.decode().split())
    check("NOT TO CONFORM" in partial_text, "a failed unit does not conform")
    check("(\"Large Amplitude Error\" answered No)" in partial_text, "the certificate names the finding")

    # In Auto the trigger test cannot set its signal on CH2 and fails on that finding with no
    # failing row: the finding is in the JSON, in JUnit as a failure of its own, and on the
    # certificate.
    auto_junit = os.path.join(folder, "auto.xml")
    auto_pdf = os.path.join(folder, "auto.pdf")
    auto = run(folder, "--bench", "sim:bandwidth-fault", "--run", "full", "--standards", register, "--json", "-",
               "--junit", auto_junit, "--certificate", auto_pdf)
    check(auto.returncode == 1, "Auto on the faulty bench ends with exit 1, not %d" % auto.returncode)
    auto_run = json.loads(auto.stdout.decode("utf-8"))
    jsonschema.validate(auto_run, schema)
    trigger = [test for test in auto_run["runs"][0]["tests"] if test["name"] == "Edge Trigger Sensitivity"][0]
    check(trigger["verdict"] == "FAIL" and trigger.get("finding") == "Edge Trigger Sensitivity - SIGNAL COULD NOT BE "
          "SET: TEST FAILED. (\"Large Amplitude Error\" asked too often)",
          "the trigger test's finding: %s" % {k: v for k, v in trigger.items() if k != "steps"})
    check(all(step["verdict"] == "PASS" for step in trigger["steps"]), "the rows it measured passed")
    check(trigger["finding"].replace(". (", ".\n  (") in auto.stderr.decode("utf-8"), "the finding as the table shows it")
    root = ElementTree.parse(auto_junit).getroot()
    trigger_suite = [s for s in root.findall("testsuite") if s.get("name") == "Edge Trigger Sensitivity"][0]
    check(trigger_suite.get("failures") == "1" and
          [f.get("message") for f in trigger_suite.iter("failure")] == [trigger["finding"]],
          "JUnit fails the trigger test on its finding")
    check(int(root.get("failures")) == len(root.findall(".//failure")) == 10, "nine rows and the finding fail")
    auto_text = " ".join(subprocess.run(["pdftotext", auto_pdf, "-"], capture_output=True).stdout.decode().split())
    check("(marked FAIL above). Also: Edge Trigger Sensitivity - SIGNAL COULD NOT BE SET: TEST FAILED." in auto_text,
          "the certificate names it")

    # The stored run exported again has the digest the certificate shows.
    again = subprocess.run([PROGRAM, "--results", "--bench", "sim:bandwidth-fault", "--run", str(the_run["id"]),
                            "--json", "-"], capture_output=True, timeout=60,
                           env=dict(os.environ, APPDATA=folder, HOME=folder, XDG_CONFIG_HOME=os.path.join(folder, "config")))
    check(again.returncode == 0, "--results --run ID --json -: " + again.stderr.decode())
    if again.returncode == 0:
        check(json.loads(again.stdout)["runs"][0]["sha256"] == the_run["sha256"], "the digest is of the stored run")

    # A run imported from a log names no standard: its certificate says they are not known and
    # claims no traceability; imported into the simulated store it carries the simulated mark.
    environment = dict(os.environ, APPDATA=folder, QT_QPA_PLATFORM="offscreen", HOME=folder,
                       XDG_CONFIG_HOME=os.path.join(folder, "config"))
    logged = run(folder, "--bench", "sim", "--run", "offset", "--log", "imp", "--serial", "imp1", "--no-results")
    check(logged.returncode == 0, "the log to import: " + logged.stderr.decode())
    logs = [os.path.join(top, name) for top, _, names in os.walk(folder) for name in names if name == "imp.log"]
    check(len(logs) == 1, "the log imp.log is written once: %s" % logs)
    imported = subprocess.run([PROGRAM, "--import", logs[0], "--bench", "sim"], capture_output=True, env=environment,
                              timeout=60)
    check(imported.returncode == 0 and b"1 run added" in imported.stderr, "imported: " + imported.stderr.decode())
    listing = subprocess.run([PROGRAM, "--results", "--bench", "sim", "--serial", "IMP1"], capture_output=True,
                             env=environment, timeout=60).stdout.decode()
    imported_ids = [line.split()[1] for line in listing.splitlines() if line.startswith("Run ") and "imported from" in line]
    check(len(imported_ids) == 1, "the imported run is listed: " + listing)
    if imported_ids:
        imported_pdf = os.path.join(folder, "imported.pdf")
        made = subprocess.run([PROGRAM, "--results", "--bench", "sim", "--run", imported_ids[0], "--certificate",
                               imported_pdf, "--partial"], capture_output=True, env=environment, timeout=60)
        check(made.returncode == 0, "certificate of the imported run: " + made.stderr.decode())
        imported_text = " ".join(subprocess.run(["pdftotext", imported_pdf, "-"], capture_output=True).stdout.decode().split())
        check("The reference standards of this run are not known: it was imported from the result log" in imported_text,
              "the imported run's standards are said to be unknown")
        check("No traceability to national measurement standards can be stated" in imported_text and
              "through the calibration certificates listed" not in imported_text, "no traceability is claimed")
        check("SIMULATED - NOT A CALIBRATION" in imported_text, "imported into the simulated store: marked simulated")

    # An overdue calibrator stops a headless run before any test ...
    with open(register, "w") as out:
        out.write(REGISTER.format(calibrator_calibrated="2019-03-02", calibrator_due="2020-03-02"))
    refused = run(folder, "--bench", "sim", "--run", "full", "--technician", "virtual", "--standards", register,
                  "--json", os.path.join(folder, "refused.json"))
    check(refused.returncode == 4, "overdue: exit 4, not %d" % refused.returncode)
    check(b"OVERDUE since 2020-03-02" in refused.stderr, "overdue named")
    check(b"PASS" not in refused.stdout and b"PASS" not in refused.stderr, "no test ran")
    check(not os.path.exists(os.path.join(folder, "refused.json")), "no JSON for a refused run")
    # ... and with --allow-overdue it runs, and the JSON says so.
    allowed = run(folder, "--bench", "sim", "--run", "offset", "--technician", "virtual", "--standards", register,
                  "--allow-overdue", "--as-left", "--json", "-")
    check(allowed.returncode == 0, "allowed: exit %d %s" % (allowed.returncode, allowed.stderr.decode()[-800:]))
    if allowed.returncode == 0:
        context = json.loads(allowed.stdout)["runs"][0]["context"]
        check(context["overdue_standards"] is True, "the run is marked overdue")
        check(context["label"] == "as left", "as left")

    # Without --standards a simulated bench uses the register it ships, whose entries cover
    # every generator the shipped benches hold.
    for bench in ("sim", "sim:sme-generator", "sim:fluke-generator"):
        shipped = run(folder, "--bench", bench, "--run", "offset", "--technician", "virtual", "--json", "-")
        check(shipped.returncode == 0, bench + ": exit %d %s" % (shipped.returncode, shipped.stderr.decode()[-400:]))
        if shipped.returncode == 0:
            context = json.loads(shipped.stdout)["runs"][0]["context"]
            check(context["standards_register"] == "(simulated bench register)", bench + ": the shipped register")
            check(len(context["standards"]) == 4 and all(s["state"] == "in calibration" for s in context["standards"]),
                  bench + ": every standard known and in calibration: %s" % context["standards"])

    # A register with a mistake names its file and line.
    with open(register, "w") as out:
        out.write(REGISTER.format(calibrator_calibrated="2026-03-02", calibrator_due="2098-03-02").replace('asset = "LAB-0020"', 'asset = "LAB-0012"'))
    wrong = run(folder, "--bench", "sim", "--run", "offset", "--standards", register)
    check(wrong.returncode == 4 and (register + ":13: asset \"LAB-0012\" is already in the register (line 5)").encode()
          in wrong.stderr, "duplicate asset named: " + wrong.stderr.decode()[-400:])

    # A choice of an asset the register does not hold for that model is refused by name.
    with open(register, "w") as out:
        out.write(REGISTER.format(calibrator_calibrated="2026-03-02", calibrator_due="2098-03-02"))
    unknown = run(folder, "--bench", "sim", "--run", "offset", "--standards", register, "--standard", "SG 5030=NOPE")
    check(unknown.returncode == 4 and b"--standard SG 5030=NOPE: the register" in unknown.stderr and
          b"has no entry of model SG 5030 with asset NOPE" in unknown.stderr,
          "unknown asset named: %d %s" % (unknown.returncode, unknown.stderr.decode()[-300:]))

sys.exit(1 if failures else 0)
