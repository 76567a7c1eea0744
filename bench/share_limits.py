#!/usr/bin/env python3
"""The shared stream of a running pelmora-log against a local user who holds or churns
TCP connections to --serve-tcp, measured from outside the process:

  held:  descriptor limit 48, the simulated counter at 10 readings/s, 60 TCP
         connections held for 8 s: CPU seconds the process used in those 8 s and
         the rows that reached the log meanwhile;
  churn: the counter silent (its simulator stopped), 500 TCP connect-and-close
         cycles: the process's open descriptors before, right after, and once they
         are back within 5 of before (given up after 20 s).

usage: bench/share_limits.py [BUILD]   (BUILD: the build folder, default build)
       PELMORA_LOG and COUNTER_SIM name other executables (e.g. an older build's).
"""
import os
import resource
import signal
import socket
import subprocess
import sys
import tempfile
import time

HELD_CONNECTIONS = 60
HELD_SECONDS = 8
DESCRIPTOR_LIMIT = 48
CHURN_CYCLES = 500
CHURN_PATIENCE_S = 20


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def descriptors(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def rows(csv):
    try:
        with open(csv, "rb") as log:
            return log.read().count(b"\n")
    except FileNotFoundError:
        return 0


def wait_for(predicate, patience_s=20.0):
    deadline = time.monotonic() + patience_s
    while not predicate():
        if time.monotonic() > deadline:
            raise SystemExit("share_limits: gave up waiting")
        time.sleep(0.05)


def listening(port):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=1).close()
        return True
    except OSError:
        return False


class Run:
    """A simulator at 10 readings/s and pelmora-log serving it on a TCP port."""

    def __init__(self, build, folder, name, limit=None):
        sim = os.environ.get("COUNTER_SIM", f"{build}/pelmora-counter-sim")
        log = os.environ.get("PELMORA_LOG", f"{build}/pelmora-log")
        self.sim = subprocess.Popen([sim, "--rate", "10"], stdout=subprocess.PIPE, text=True)
        pty = self.sim.stdout.readline().strip()
        self.port = free_port()
        self.csv = f"{folder}/{name}.csv"
        env = dict(os.environ, XDG_RUNTIME_DIR=folder)

        def limited():
            if limit:
                resource.setrlimit(resource.RLIMIT_NOFILE, (limit, limit))

        self.log = subprocess.Popen([log, pty, "--csv", self.csv, "--serve-tcp", str(self.port)], env=env,
                                    stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, preexec_fn=limited)
        wait_for(lambda: listening(self.port) and rows(self.csv) > 1)

    def end(self):
        self.log.send_signal(signal.SIGINT)
        self.log.wait(timeout=20)
        self.sim.send_signal(signal.SIGCONT)
        self.sim.terminate()
        self.sim.wait(timeout=20)


def held(build, folder):
    run = Run(build, folder, "held", DESCRIPTOR_LIMIT)
    clients = []
    for _ in range(HELD_CONNECTIONS):
        client = socket.socket()
        client.setblocking(False)
        client.connect_ex(("127.0.0.1", run.port))
        clients.append(client)
    cpu, logged = cpu_seconds(run.log.pid), rows(run.csv)
    time.sleep(HELD_SECONDS)  # the measurement window
    cpu, logged = cpu_seconds(run.log.pid) - cpu, rows(run.csv) - logged
    for client in clients:
        client.close()
    run.end()
    print(f"held: {HELD_CONNECTIONS} TCP connections for {HELD_SECONDS} s at a descriptor limit of "
          f"{DESCRIPTOR_LIMIT}: {cpu:.2f} CPU s, {logged} rows logged")


def churn(build, folder):
    run = Run(build, folder, "churn")
    run.sim.send_signal(signal.SIGSTOP)
    before = descriptors(run.log.pid)
    for _ in range(CHURN_CYCLES):
        socket.create_connection(("127.0.0.1", run.port), timeout=5).close()
    right_after = descriptors(run.log.pid)
    start = time.monotonic()
    while descriptors(run.log.pid) > before + 5 and time.monotonic() - start < CHURN_PATIENCE_S:
        time.sleep(0.1)
    after, took = descriptors(run.log.pid), time.monotonic() - start
    run.end()
    print(f"churn: {CHURN_CYCLES} TCP connect-and-close cycles, counter silent: {before} descriptors before, "
          f"{right_after} right after, {after} after {took:.1f} s")


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    with tempfile.TemporaryDirectory() as folder:
        os.chmod(folder, 0o700)
        held(build, folder)
        churn(build, folder)


if __name__ == "__main__":
    main()
