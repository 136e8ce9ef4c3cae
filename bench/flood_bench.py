#!/usr/bin/env python3
"""Floods the real client with channel lines and measures how fast it keeps up.

A local server registers the client, makes it join #flood, sends N PRIVMSG lines of
about 100 bytes (some with colour codes, some with links) and then a PING; the figure
is the time from the first flood byte to the client's PONG. It also reports the
client's peak resident memory (VmHWM). Only 127.0.0.1 is used.

  bench/flood_bench.py [--program build/src/gui/pell-irc] [--lines 100000] [--xvfb]
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time


def slist_entry(port):
    # Name, host, port, auto-connect, nick, real name, user, password, four modes.
    lines = ["Flood", "127.0.0.1", str(port), "True", "flooder", "Flood Bench",
             "flooder", "", "False", "False", "False", "False"]
    return "".join(line + "\r\n" for line in lines).encode()


def flood_lines(count):
    out = []
    for i in range(count):
        text = f"line {i} of the flood, talking about nothing in particular here"
        if i % 10 == 0:
            text = f"\x034red\x03 and \x02bold\x02 line {i} with some colour codes in it"
        if i % 25 == 0:
            text = f"see http://example.org/page/{i} for line {i} of the flood"
        out.append(f":user{i % 500}!u{i % 500}@host.example PRIVMSG #flood :{text}\r\n")
    return "".join(out).encode()


def read_until(conn, buffer, needle, deadline):
    while needle not in buffer:
        conn.settimeout(max(0.01, deadline - time.monotonic()))
        chunk = conn.recv(65536)
        if not chunk:
            raise RuntimeError(f"client closed before sending {needle!r}")
        buffer += chunk
    return buffer


def peak_memory_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def client_pid(launcher, program):
    """The pid of the client itself (xvfb-run starts it as a grandchild)."""
    try:
        found = subprocess.run(["pgrep", "-n", "-f", os.path.basename(program)],
                               capture_output=True, text=True).stdout.split()
        return int(found[-1]) if found else launcher.pid
    except (OSError, ValueError):
        return launcher.pid


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", default="build/src/gui/pell-irc")
    parser.add_argument("--lines", type=int, default=100000)
    parser.add_argument("--xvfb", action="store_true", help="run under Xvfb instead of offscreen")
    args = parser.parse_args()

    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    port = listener.getsockname()[1]

    home = tempfile.mkdtemp(prefix="pell-flood-")
    with open(os.path.join(home, "SList.dat"), "wb") as f:
        f.write(slist_entry(port))
    env = dict(os.environ, PELL_IRC_HOME=home, PELL_IRC_SPLASH_MS="0")
    command = [args.program]
    if args.xvfb:
        command = ["xvfb-run", "-a", "-s", "-screen 0 1280x800x24"] + command
        env.pop("QT_QPA_PLATFORM", None)
    else:
        env["QT_QPA_PLATFORM"] = "offscreen"
    payload = flood_lines(args.lines)
    launcher = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        listener.settimeout(30)
        conn, _ = listener.accept()
        deadline = time.monotonic() + 30
        buffer = read_until(conn, b"", b"USER ", deadline)
        conn.sendall(b":flood.srv 001 flooder :Welcome\r\n:flooder!u@h JOIN :#flood\r\n")
        read_until(conn, buffer, b"MODE #flood", deadline)
        start = time.monotonic()
        conn.sendall(payload)
        conn.sendall(b"PING :flood-done\r\n")
        read_until(conn, b"", b"PONG :flood-done", start + 600)
        elapsed = time.monotonic() - start
        peak = peak_memory_kib(client_pid(launcher, args.program))
        mode = "Xvfb" if args.xvfb else "offscreen"
        print(f"{args.lines} lines ({len(payload)} bytes), {mode}: {elapsed:.2f} s to PONG, "
              f"peak memory {peak / 1024:.1f} MiB" if peak else f"{elapsed:.2f} s, memory unknown")
        conn.close()
    finally:
        launcher.terminate()
        try:
            launcher.wait(10)
        except subprocess.TimeoutExpired:
            launcher.kill()
        shutil.rmtree(home, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
