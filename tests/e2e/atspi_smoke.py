#!/usr/bin/python3
"""Reads the real program through the real accessibility bus, as a screen reader does.

Starts nesmo7-sim on a pseudo-terminal and NesmoComm connected to it as COM1, finds
the connection button by its caption through AT-SPI and checks what it reads.

Run inside a session bus; it starts an X server of its own (Xvfb) on a free display:
    dbus-run-session -- /usr/bin/python3 atspi_smoke.py NesmoComm nesmo7-sim
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

EXPECTED = "Serial Connection : COM1"
TIMEOUT_S = 60


def find(node, predicate, depth=0):
    """Depth-first search of the accessible tree, bounded in depth."""
    if node is None or depth > 40:
        return None
    try:
        if predicate(node):
            return node
        for i in range(node.childCount):
            hit = find(node.getChildAtIndex(i), predicate, depth + 1)
            if hit is not None:
                return hit
    except Exception:  # a node that went away while we looked
        return None
    return None


def is_connection_button(node):
    return node.getRoleName() == "push button" and node.name.startswith("Serial Connection")


def start_x_server():
    """Xvfb on a display it picks itself (no race with other servers); returns it and its number."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    return server, number


def main():
    program, simulator = sys.argv[1], sys.argv[2]
    xvfb, display = start_x_server()
    if not display:
        print("FAIL: Xvfb did not start")
        return 1
    os.environ["DISPLAY"] = ":" + display
    try:
        return run(program, simulator)
    finally:
        xvfb.terminate()
        xvfb.wait(5)


def run(program, simulator):
    with tempfile.TemporaryDirectory() as work:
        tty = os.path.join(work, "ttyNESMO7")
        sim_log = open(os.path.join(work, "sim.out"), "w")
        sim = subprocess.Popen([simulator, "--pty", tty], stdout=sim_log, stderr=subprocess.STDOUT)
        comm = None
        try:
            deadline = time.monotonic() + 10
            while not os.path.exists(tty) and time.monotonic() < deadline:
                time.sleep(0.1)
            ini = os.path.join(work, "NesmoComm.INI")
            with open(ini, "w") as f:
                f.write("[Setup]\nComPort=1\n\n[Ports]\nCOM1=%s\n" % tty)
            env = dict(os.environ, NESMOCOMM_INI=ini, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                       QT_QPA_PLATFORM="xcb")
            comm = subprocess.Popen([program], cwd=work, env=env)

            button = None
            deadline = time.monotonic() + TIMEOUT_S
            while time.monotonic() < deadline:
                desktop = pyatspi.Registry.getDesktop(0)
                app = find(desktop, lambda n: n.getRoleName() == "application"
                           and n.name == "NesmoComm", 1)
                if app is not None:
                    button = find(app, is_connection_button)
                    if button is not None and button.name == EXPECTED:
                        break
                time.sleep(0.5)
            if button is None:
                desktop = pyatspi.Registry.getDesktop(0)
                apps = [desktop.getChildAtIndex(i).name for i in range(desktop.childCount)]
                print("FAIL: no push button named 'Serial Connection…' on the accessibility bus;"
                      " applications: %r; program exit code: %r" % (apps, comm.poll()))
                sim_log.flush()
                print(open(sim_log.name).read())
                return 1
            if button.name != EXPECTED:
                print("FAIL: the connection button reads %r, expected %r" % (button.name, EXPECTED))
                return 1
            print("PASS: the connection button reads %r" % button.name)
            return 0
        finally:
            for p in (comm, sim):
                if p is not None:
                    p.terminate()
                    try:
                        p.wait(5)
                    except subprocess.TimeoutExpired:
                        p.kill()


if __name__ == "__main__":
    sys.exit(main())
