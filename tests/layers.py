#!/usr/bin/env python3
"""Checks that includes between the program's folders run one way only.

system/ holds every system call and uses nothing of the program's; above it,
app -> link -> log, and link -> lmeter -> display -> res, settings; log uses
nothing of the program's; stability (the analysis of logged readings) uses
log and analysis, which uses nothing; statistics shows what stability
computes of the readings it takes from link's tap, and app uses it; link
hands those readings over as stability's samples; share serves link's
readings to other programs; tools may use everything but app. Inside link/,
port <- replug <- session <- sinks <- window, receive <- session, and the
dialog uses port and replug. A folder may always include its own headers.
Also checks that the plain-C++ files include no Qt header, that no file
outside system/ includes a POSIX header, and that no two units (a header with
its source) include each other, directly or through others.
"""
import pathlib
import re
import sys

ALLOWED = {
    "app": {"app", "share", "link", "lmeter", "display", "log", "stability", "res", "settings", "statistics", "system"},
    "link": {"link", "log", "stability", "lmeter", "display", "res", "settings", "system"},
    "lmeter": {"lmeter", "display", "res", "settings", "system"},
    "display": {"display", "res", "settings", "system"},
    "log": {"log", "system"},
    "stability": {"stability", "analysis", "log", "system"},
    "res": {"res", "system"},
    "settings": {"settings", "system"},
    "tools": {"tools", "share", "link", "log", "stability", "analysis", "lmeter", "display", "res", "settings", "system"},
    "analysis": {"analysis"},
    "share": {"share", "link", "log", "stability", "lmeter", "display", "res", "settings", "system"},
    "statistics": {"statistics", "link", "log", "stability", "analysis", "lmeter", "display", "res",
                   "settings", "system"},
    "system": {"system"},
}
# Inside link/, the jobs build on each other one way too.
LINK_JOBS = {
    "port": {"port"},
    "receive": {"receive"},
    "replug": {"replug", "port"},
    "session": {"session", "port", "receive", "replug"},
    "sinks": {"sinks", "session", "port", "receive", "replug"},
    "window": {"window", "sinks", "session", "port", "receive", "replug"},
    "dialog": {"dialog", "port", "replug"},
}
# Every system call lives in system/: no other folder of the program, and not
# pelmora-log, includes a POSIX header. (The simulator and the tests may.)
POSIX = re.compile(r"^(unistd|fcntl|poll|termios|signal|pwd|pthread|sys/.+)\.h$")
POSIX_FREE = [f for f in ALLOWED if f not in ("system", "tools")] + ["tools/logger"]
PLAIN = ["analysis", "system", "settings", "log", "share", "lmeter/Inductance", "link/receive/RecordAssembler", "link/port/CSerialPort",
         "link/port/UucpLock", "link/port/DevicePath", "link/sinks/ReadingTap", "link/sinks/RecordRow",
         "link/port/DeviceClaim", "link/replug/DeviceWatch", "link/replug/DeviceReturnWaiter", "link/receive/ReceiveThread", "link/replug/StableName",
         "link/sinks/RecordLog", "link/session/CounterSession", "link/session/SessionSink",
         "link/session/SessionLoop", "link/receive/Reading", "link/session/NoDataWatch", "link/sinks/LogSink", "tools/logger/LoggerLoop",
         "display/ReadoutText", "stability/FrequencySample", "stability/GateSpacing",
         "stability/SegmentTracker", "stability/RunTimeline", "stability/StabilityEngine",
         "stability/StabilityAnalysis", "stability/StabilitySummary",
         "statistics/NominalFrequency", "statistics/MovingAverage", "statistics/InductanceStats",
         "statistics/TrendTier", "statistics/TrendHistory", "statistics/StatsView",
         "statistics/StatsFigures", "statistics/StatsText"]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def faults(root):
    for folder, allowed in ALLOWED.items():
        for source in sorted((root / folder).rglob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            relative = source.relative_to(root).with_suffix("").as_posix()
            plain = any(relative == p or relative.startswith(p + "/") for p in PLAIN)
            for kind, header in INCLUDE.findall(source.read_text(encoding="utf-8")):
                top = header.split("/")[0]
                if kind == '"' and top in ALLOWED and top not in allowed:
                    yield f"{source.relative_to(root)}: includes {header}"
                if plain and kind == "<" and header.startswith("Q"):
                    yield f"{source.relative_to(root)}: plain C++ includes {header}"
    yield from posix_faults(root)
    yield from cycle_faults(root)
    yield from link_job_faults(root)


def posix_faults(root):
    for folder in POSIX_FREE:
        for source in sorted((root / folder).rglob("*")):
            name = source.relative_to(root).as_posix()
            if source.suffix not in (".h", ".cpp"):
                continue
            for kind, header in INCLUDE.findall(source.read_text(encoding="utf-8")):
                if kind == "<" and POSIX.match(header):
                    yield f"{name}: includes <{header}>; system calls belong in system/"


def link_job_faults(root):
    for job, allowed in LINK_JOBS.items():
        for source in sorted((root / "link" / job).rglob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            for kind, header in INCLUDE.findall(source.read_text(encoding="utf-8")):
                parts = header.split("/")
                if kind == '"' and parts[0] == "link" and len(parts) > 2 and parts[1] not in allowed:
                    yield f"{source.relative_to(root)}: includes {header}"


def unit_includes(root):
    """Each unit (X.h with X.cpp) and the units it includes."""
    units = {}
    for folder in ALLOWED:
        for source in (root / folder).rglob("*"):
            if source.suffix in (".h", ".cpp"):
                unit = source.relative_to(root).with_suffix("").as_posix()
                found = units.setdefault(unit, set())
                for kind, header in INCLUDE.findall(source.read_text(encoding="utf-8")):
                    if kind == '"' and header.rsplit(".", 1)[0] != unit:
                        found.add(header.rsplit(".", 1)[0])
    return units


def cycle_faults(root):
    """No two units include each other, directly or through others."""
    units = unit_includes(root)
    state = {}  # unit -> "open" while on the path, "done" after

    def visit(unit, path):
        state[unit] = "open"
        for used in sorted(units.get(unit, ())):
            if used not in units:
                continue
            if state.get(used) == "open":
                yield "include cycle: " + " -> ".join(path[path.index(used):] + [used])
            elif used not in state:
                yield from visit(used, path + [used])
        state[unit] = "done"

    for unit in sorted(units):
        if unit not in state:
            yield from visit(unit, [unit])


def main():
    found = list(faults(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")))
    for fault in found:
        print(fault)
    print(f"{len(found)} layer faults")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
