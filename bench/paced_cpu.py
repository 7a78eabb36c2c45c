#!/usr/bin/env python3
"""CPU that Wirelook spends on a steady stream, 115200 baud unless --rate.

Starts the program on a pseudo-terminal under an X server (Xvfb, started here
unless --display is given), writes lines of mixed text at --rate bytes a
second (default 11,520: 115200 baud, 8N1; 102400 and 1048576 stand for fast
USB devices) for --seconds, and reports per run:

  sched_pct   CPU time from the scheduler's own clock (/proc/PID/schedstat),
              exact to the nanosecond, as a percentage of one core
  tick_pct    utime + stime (what `top` and most harnesses read); on a kernel
              with tick-based accounting this is a sample and varies a lot
  wakeups/s   voluntary context switches: how often the program went to sleep
  x_pct       the X server's scheduler CPU over the same span

Usage: paced_cpu.py WIRELOOK [--rate B] [--runs N] [--seconds S] [--display :N]
"""
import argparse
import os
import pty
import random
import shutil
import subprocess
import sys
import termios
import time
import tty


def threads(pid):
    try:
        return os.listdir("/proc/%d/task" % pid)
    except OSError:
        return []


def sched_ns(pid):
    total = 0
    for t in threads(pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, t)) as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        s = f.read()
    fields = s[s.rindex(")") + 2:].split()
    return int(fields[11]) + int(fields[12])


def wakeups(pid):
    total = 0
    for t in threads(pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, t)) as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def holds(pid, path):
    try:
        for fd in os.listdir("/proc/%d/fd" % pid):
            if os.readlink("/proc/%d/fd/%s" % (pid, fd)) == path:
                return True
    except OSError:
        pass
    return False


def payload(size):
    rnd = random.Random(7)
    out = bytearray()
    while len(out) < size:
        for _ in range(rnd.randint(20, 100)):
            r = rnd.random()
            if r < 0.02:
                out.append(rnd.choice([0, 7, 8, 9, 11, 12, 0x7F]))
            elif r < 0.025:
                out.append(rnd.randint(0x80, 0xFF))
            else:
                out.append(rnd.randint(0x20, 0x7E))
        out += b"\r\n"
    return bytes(out[:size])


def drain(master):
    try:
        while os.read(master, 65536):
            pass
    except (BlockingIOError, OSError):
        pass


def one_run(a, display, xpid):
    master, slave = pty.openpty()
    tty.setraw(slave)
    attrs = termios.tcgetattr(slave)
    attrs[4] = attrs[5] = termios.B115200
    termios.tcsetattr(slave, termios.TCSANOW, attrs)
    path = os.ttyname(slave)
    home = "/tmp/paced_cpu_home"
    os.makedirs(home, exist_ok=True)
    env = dict(os.environ, DISPLAY=display, HOME=home, QT_QPA_PLATFORM="xcb")
    proc = subprocess.Popen([a.wirelook, path], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 20
        while not holds(proc.pid, path):
            if time.monotonic() > deadline or proc.poll() is not None:
                raise SystemExit("wirelook did not open %s" % path)
            time.sleep(0.05)
        os.set_blocking(master, False)
        time.sleep(a.settle)
        data = payload(int(a.rate * a.seconds))
        s0, t0c, w0 = sched_ns(proc.pid), ticks(proc.pid), wakeups(proc.pid)
        x0 = sched_ns(xpid) if xpid else 0
        t0 = time.monotonic()
        pos = 0
        while pos < len(data):
            allowed = min(len(data), int((time.monotonic() - t0) * a.rate) + 1)
            if pos < allowed:
                try:
                    pos += os.write(master, data[pos:allowed])
                except BlockingIOError:
                    pass
            drain(master)
            time.sleep(0.005)
        time.sleep(0.5)  # let the last frame out
        span = time.monotonic() - t0
        s1, t1c, w1 = sched_ns(proc.pid), ticks(proc.pid), wakeups(proc.pid)
        x1 = sched_ns(xpid) if xpid else 0
        clk = os.sysconf("SC_CLK_TCK")
        return {
            "sched_pct": 100 * (s1 - s0) / 1e9 / span,
            "tick_pct": 100 * (t1c - t0c) / clk / span,
            "wakeups_s": (w1 - w0) / span,
            "x_pct": 100 * (x1 - x0) / 1e9 / span,
        }
    finally:
        proc.terminate()
        proc.wait()
        os.close(master)
        os.close(slave)


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("wirelook")
    ap.add_argument("--rate", type=int, default=11520, help="bytes per second")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--seconds", type=float, default=10)
    ap.add_argument("--settle", type=float, default=1.5)
    ap.add_argument("--display")
    a = ap.parse_args()

    xproc = None
    display = a.display
    xpid = 0
    if not display:
        if not shutil.which("Xvfb"):
            raise SystemExit("Xvfb is needed (apt-get install xvfb), or give --display")
        display = ":93"
        xproc = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24",
                                  "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
        xpid = xproc.pid
        time.sleep(1)
    try:
        rows = [one_run(a, display, xpid) for _ in range(a.runs)]
    finally:
        if xproc:
            xproc.terminate()
            xproc.wait()
    keys = ["sched_pct", "tick_pct", "wakeups_s", "x_pct"]
    print("run  " + "  ".join("%10s" % k for k in keys))
    for i, r in enumerate(rows, 1):
        print("%3d  " % i + "  ".join("%10.2f" % r[k] for k in keys))
    med = {k: sorted(r[k] for r in rows)[len(rows) // 2] for k in keys}
    print("med  " + "  ".join("%10.2f" % med[k] for k in keys))


if __name__ == "__main__":
    sys.exit(main())
