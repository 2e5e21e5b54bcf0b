#!/usr/bin/env python3
"""Start-up time and memory of Verdane against a minimal one-view Qt program.

Starts both, one after the other, several rounds, on a private Xvfb display
against the demo content server, and prints for each the time from the start
until its first window maps and the PSS of its whole process tree (the program
and every QtWebEngineProcess below it, from /proc/<pid>/smaps_rollup) once it
has settled, with the ratios of the medians.

Usage: bench/bench_window.py [--build DIR] [--rounds N] [--settle SECONDS]
Needs: xvfb (Xvfb), xdotool; the build directory of ./dev build (verdane,
bench/bench_one_view, demo/).
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)


def free_display():
    number = 90
    while os.path.exists("/tmp/.X11-unix/X%d" % number) or os.path.exists("/tmp/.X%d-lock" % number):
        number += 1
    return ":%d" % number


def tree(root):
    """The pid and all its descendants."""
    children = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                with open("/proc/%s/stat" % name) as stat:
                    parent = int(stat.read().rsplit(")", 1)[1].split()[1])
            except OSError:
                continue
            children.setdefault(parent, []).append(int(name))
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def pss_kib(root):
    total = 0
    for pid in tree(root):
        try:
            with open("/proc/%d/smaps_rollup" % pid) as rollup:
                total += sum(int(line.split()[1]) for line in rollup if line.startswith("Pss:"))
        except OSError:
            pass
    return total


def mapped(pid, env):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           env=env, capture_output=True, text=True)
    return found.returncode == 0 and found.stdout.strip() != ""


def measure(command, env, cwd, settle):
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        while not mapped(process.pid, env):
            if process.poll() is not None or time.monotonic() - start > 60:
                raise RuntimeError("%s did not map a window" % command[0])
            time.sleep(0.005)
        window = (time.monotonic() - start) * 1000
        time.sleep(settle)
        return window, pss_kib(process.pid) / 1024
    finally:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--settle", type=float, default=6.0)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            sys.exit("%s is missing (./dev setup installs it)" % tool)

    with tempfile.TemporaryDirectory(prefix="verdane-bench-") as tmp:
        display = free_display()
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        server = subprocess.Popen([sys.executable, os.path.join(SOURCE, "tools/content_server.py"),
                                   "--root", os.path.join(build, "demo/www"), "--port", "0"],
                                  stdout=subprocess.PIPE, text=True)
        try:
            host = "127.0.0.1:%s" % server.stdout.readline().split()[1]
            env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", VERDANE_CONTENT_SERVER=host,
                       XDG_CONFIG_DIRS=os.path.join(build, "demo/xdg") + ":/etc/xdg")
            env.pop("WAYLAND_DISPLAY", None)
            if os.geteuid() == 0:
                env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
            time.sleep(1)  # Xvfb up
            programs = {
                "verdane": [os.path.join(build, "verdane")],
                "one view": [os.path.join(build, "bench/bench_one_view"),
                             "http://%s/plexa/plexa.shtml" % host],
            }
            results = {name: [] for name in programs}
            for round_number in range(args.rounds):
                for name, command in programs.items():
                    home = os.path.join(tmp, "%s-%d" % (name.replace(" ", "-"), round_number))
                    run_env = dict(env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                                   XDG_DATA_HOME=os.path.join(home, ".local/share"))
                    os.makedirs(home)
                    window, pss = measure(command, run_env, os.path.join(build, "demo"), args.settle)
                    results[name].append((window, pss))
                    print("round %d  %-8s  window %6.0f ms  PSS %6.1f MB" % (round_number + 1, name, window, pss),
                          flush=True)
        finally:
            server.kill()
            xvfb.kill()
            server.wait()
            xvfb.wait()

    med = {name: (statistics.median(w for w, _ in values), statistics.median(p for _, p in values))
           for name, values in results.items()}
    for name, (window, pss) in med.items():
        print("median   %-8s  window %6.0f ms  PSS %6.1f MB" % (name, window, pss))
    print("ratio    window %.2f x  PSS %.2f x" % (med["verdane"][0] / med["one view"][0],
                                                 med["verdane"][1] / med["one view"][1]))


if __name__ == "__main__":
    main()
