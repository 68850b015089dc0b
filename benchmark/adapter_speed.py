#!/usr/bin/python3
"""The program's own message path against a Python VISA stack, side by side, on the same emulator.

Run through benchmark/adapter_speed.sh (which installs Debian's python3-pyvisa-py when it is
missing). Measured, never asserted. For every back end:

- the program's path: `veridane --parlex --script` sending QUERIES lines "ID?" to address 1
  (the scope); the rate is QUERIES over the difference between that run and a run of one
  line, so start-up does not count;
- the yardsticks, where pyvisa-py reaches the same link (Prologix over TCP, and over the
  pseudo-terminal when pyserial is installed): the same queries through a raw socket or serial
  resource that writes the "++" commands itself, with TCP_NODELAY ("++auto 0", "ID?",
  "++read eoi", read) and in the adapter's automatic mode ("++auto 1", "ID?", read);
- start-up to the first prompt (`--headless --run offset` with SkipSplash=1);
- the driver level (the echo device, no program around it) from veridane_backend_benchmark.

Every measurement is made ROUNDS times, the contenders taking turns within each round, and
the median is printed. Each TCP connection gets a freshly switched-on bench of its own.

usage: adapter_speed.py BUILD [--rounds N] [--queries N] [--driver-seconds S] [--markdown]
"""
import argparse
import os
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


class Emulator:
    def __init__(self, path, home):
        self.process = subprocess.Popen(
            [path, "--bench", "default", "--announce", "", "--data", os.path.join(home, "emulator")],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.tcp = self.pty = self.data = None
        for line in self.process.stdout:
            line = line.strip()
            if line.startswith("tcp "):
                self.tcp = line[4:]
            elif line.startswith("pty "):
                self.pty = line[4:]
            elif line.startswith("data "):
                self.data = line[5:]
            elif line == "ready":
                break

    def port(self):
        return int(self.tcp.rsplit(":", 1)[1])

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Program:
    """The built program in a home of its own, with SkipSplash=1 and the stand-ins' settings."""

    def __init__(self, path, home, settings):
        self.path = path
        self.home = home
        config = os.path.join(home, "config", "Veridane")
        os.makedirs(config, exist_ok=True)
        settings = dict(settings)
        # The stand-in libraries write their bench's instrument data where the program reads it.
        settings.setdefault("InstrumentData", os.path.join(home, "simdata"))
        with open(os.path.join(config, "Veridane.ini"), "w") as ini:
            ini.write("[Settings]\nSkipSplash=1\n")
            for key, value in settings.items():
                ini.write(f"{key}={value}\n")
        self.env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
                        XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_RUNTIME_DIR=os.path.join(home, "run"),
                        NO_COLOR="1", VERIDANE_SIM_BENCH="default", VERIDANE_SIM_DATA=os.path.join(home, "simdata"))
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)

    def parlex_seconds(self, bench, queries):
        """Wall seconds of a whole `--parlex --script` run of `queries` lines "ID?"."""
        script = os.path.join(self.home, f"queries-{queries}.txt")
        with open(script, "w") as f:
            f.write(":addr 1\n" + "ID?\n" * queries)
        output = os.path.join(self.home, "answers.txt")
        with open(output, "wb") as out:
            start = time.monotonic()
            done = subprocess.run([self.path, "--parlex", "--bench", bench, "--script", script], env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL, timeout=300)
            seconds = time.monotonic() - start
        with open(output, "rb") as answers:
            if done.returncode != 0 or sum(line.startswith(b"01: ID ") for line in answers) != queries:
                return None
        return seconds

    def parlex_rate(self, bench, queries):
        """Queries per second of the program's own path: a run of `queries` lines against a run
        of one, so that start-up and the listener search do not count."""
        many, one = self.parlex_seconds(bench, queries + 1), self.parlex_seconds(bench, 1)
        if many is None or one is None or many <= one:
            return None
        return queries / (many - one)

    def startup_seconds(self, bench):
        """Seconds to the first prompt (shown on stderr with its answer)."""
        start = time.monotonic()
        process = subprocess.Popen([self.path, "--headless", "--bench", bench, "--run", "offset"], env=self.env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        found = None
        for line in process.stderr:
            if b"] -> " in line:
                found = time.monotonic() - start
                break
        # Ended as a technician's Ctrl+C would end it: its bench folder must go with it.
        process.send_signal(signal.SIGINT)
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        return found


def pyvisa_rate(resource, auto, queries, nodelay=True):
    import pyvisa
    from pyvisa import constants
    rm = pyvisa.ResourceManager("@py")
    inst = rm.open_resource(resource, read_termination="\n", write_termination="\n", timeout=3000)
    try:
        if nodelay and resource.startswith("TCPIP"):
            try:
                inst.set_visa_attribute(constants.VI_ATTR_TCPIP_NODELAY, constants.VI_TRUE)
            except Exception:
                session = inst.visalib.sessions[inst.session]
                session.interface.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        for command in ("++mode 1", "++addr 1", "++eoi 1", "++eos 3", "++eot_enable 0", "++read_tmo_ms 3000",
                        "++auto 1" if auto else "++auto 0"):
            inst.write(command)
        if auto:
            ask = lambda: (inst.write("ID?"), inst.read())[1]
        else:
            ask = lambda: (inst.write("ID?"), inst.write("++read eoi"), inst.read())[2]
        if not ask().startswith("ID "):
            return None
        start = time.monotonic()
        for _ in range(queries):
            ask()
        return queries / (time.monotonic() - start)
    finally:
        inst.close()
        rm.close()


def pyvisa_available():
    try:
        import pyvisa  # noqa: F401
        import pyvisa_py  # noqa: F401
        return True
    except ImportError:
        return False


def pyserial_available():
    try:
        import serial  # noqa: F401
        return True
    except ImportError:
        return False


def driver_level(path, seconds):
    """Queries/s and bytes/s of each back end through the driver interface alone."""
    if not os.path.exists(path):
        return {}
    out = subprocess.run([path, str(seconds), "--driver-only"], capture_output=True, text=True, timeout=600).stdout
    rows = {}
    for line in out.splitlines():
        cells = [c.strip() for c in line.strip("|").split("|")]
        if len(cells) >= 3 and cells[1].replace(".", "").isdigit():
            rows[cells[0]] = (float(cells[1]), cells[2])
    return rows


def load():
    with open("/proc/loadavg") as f:
        return f.read().split()[:3]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--queries", type=int, default=5000)
    parser.add_argument("--driver-seconds", type=float, default=0.5)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    program_path = os.path.join(build, "src/app/veridane")
    emulator_path = os.path.join(build, "sim/prologix_emulator/veridane_prologix_emulator")
    gpib_library = os.path.join(build, "sim/gpib_library/libveridane_simgpib.so")
    visa_library = os.path.join(build, "sim/visa_library/libveridane_simvisa.so")
    for needed in (program_path, emulator_path):
        if not os.path.exists(needed):
            sys.exit(f"{needed} is not built")

    home = tempfile.mkdtemp(prefix="veridane-speed-")
    emulator = None
    try:
        emulator = Emulator(emulator_path, home)
        backends = [
            ("board library (stand-in)", "gpib:0", {"GpibLibrary": gpib_library}, None),
            ("VISA library (stand-in)", "visa:GPIB0", {"VisaLibrary": visa_library}, None),
            ("Prologix TCP (emulator)", "prologix-tcp:" + emulator.tcp, {"InstrumentData": emulator.data},
             f"TCPIP::127.0.0.1::{emulator.port()}::SOCKET"),
            ("Prologix pty (emulator)", "prologix:" + emulator.pty, {"InstrumentData": emulator.data},
             f"ASRL{emulator.pty}::INSTR" if pyserial_available() else None),
        ]
        programs = {name: Program(program_path, os.path.join(home, str(i)), settings)
                    for i, (name, _, settings, _) in enumerate(backends)}
        yardsticks = pyvisa_available()
        loads = [load()]
        results = {name: {"program": [], "nodelay": [], "auto": [], "startup": []} for name, *_ in backends}
        for round_number in range(args.rounds):
            for name, bench, _, resource in backends:
                program = programs[name]
                results[name]["program"].append(program.parlex_rate(bench, args.queries))
                if yardsticks and resource:
                    results[name]["nodelay"].append(pyvisa_rate(resource, False, args.queries))
                    results[name]["auto"].append(pyvisa_rate(resource, True, args.queries))
                results[name]["startup"].append(program.startup_seconds(bench))
            loads.append(load())
            print(f"round {round_number + 1} of {args.rounds} done, load {' '.join(load())}", file=sys.stderr)
        driver = driver_level(os.path.join(build, "benchmark/veridane_backend_benchmark"), args.driver_seconds)
    finally:
        if emulator:
            emulator.stop()
        shutil.rmtree(home, ignore_errors=True)

    def number(value, form):
        return form.format(value) if value is not None else "n/a"

    print(f"Medians of {args.rounds} interleaved rounds, {args.queries} \"ID?\" to address 1 per run; "
          f"load average (1 min) from {loads[0][0]} to {max(float(l[0]) for l in loads):.2f} on "
          f"{os.cpu_count()} cores.\n")
    print("| Back end | Program (--parlex) queries/s | ÷ pyvisa-py NODELAY | ÷ pyvisa-py ++auto 1 "
          "| Driver level queries/s | Driver level bytes/s | Start-up to first prompt |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    driver_names = {"board library (stand-in)": "board library", "VISA library (stand-in)": "VISA library",
                    "Prologix TCP (emulator)": "Prologix TCP", "Prologix pty (emulator)": "Prologix pty"}
    for name, *_ in backends:
        r = results[name]
        ours, nodelay, auto = median(r["program"]), median(r["nodelay"]), median(r["auto"])
        ratio = lambda theirs: f"{ours / theirs:.2f} ({theirs:.0f}/s)" if ours and theirs else "n/a"
        level = driver.get(driver_names[name])
        print(f"| {name} | {number(ours, '{:.0f}')} | {ratio(nodelay)} | {ratio(auto)} | "
              f"{number(level[0] if level else None, '{:.0f}')} | {level[1] if level else 'n/a'} | "
              f"{number(median(r['startup']), '{:.2f} s')} |")
    if "simulator" in driver:
        print(f"\nThe simulator in process (virtual clock), driver level: {driver['simulator'][0]:.0f} queries/s, "
              f"{driver['simulator'][1]}.")


if __name__ == "__main__":
    main()
