#!/usr/bin/env python3
"""Idle memory and CPU of the real client with a finished download window.

A private ngircd on a free loopback port; the client connects to it at start-up from a
throwaway settings folder. A plain IRC client on the same server offers the client a
file by DCC SEND (an accepted extension, so no question box) and serves it by the usual
convention: it sends the file and closes once the acknowledgements reach its size. When
the download window has its file, the script waits 2 s and then samples the client's
/proc/PID/stat (user + system time) and VmRSS over 10 s. It reports the idle figures
before the offer too, for comparison, and the longest gap of the client's 50 ms
lateness probe while the file comes in (whether the window kept repainting). With
--chat-flood N (run the whole script under xvfb-run: the question box is answered with
Enter) the plain client offers a direct chat instead and sends N lines at once; the
figure is then the probe's longest gap over the next 15 s. Only 127.0.0.1 is used.

  bench/transfer_idle_bench.py [--program build/src/gui/pell-irc] [--size 1048576] [--xvfb]
  xvfb-run -a python3 bench/transfer_idle_bench.py --chat-flood 10000
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

# The flood bench's pieces: the client's entry, process and lateness log, handled alike.
from flood_bench import client_pid, longest_gap_ms, slist_entry, stop_client

TICKS = os.sysconf("SC_CLK_TCK")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_ngircd(work, port):
    os.makedirs(f"{work}/include")
    with open(f"{work}/ngircd.conf", "w") as conf:
        conf.write(f"""[Global]
Name = bench.pell
Info = Pell-IRC transfer bench
AdminInfo1 = bench
AdminInfo2 = this machine only
AdminEMail = nobody@localhost
Listen = 127.0.0.1
Ports = {port}
MotdPhrase = bench
[Limits]
MaxNickLength = 30
[Options]
PAM = no
Ident = no
DNS = no
ScrubCTCP = no
IncludeDir = {work}/include
""")
    os.chmod(f"{work}/ngircd.conf", 0o644)  # ngircd gives up root and reads as nobody
    server = subprocess.Popen(["ngircd", "-n", "-f", f"{work}/ngircd.conf"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port)).close()
            return server
        except OSError:
            time.sleep(0.025)
    raise RuntimeError("ngircd did not answer")


class IrcClient:
    def __init__(self, port, nick):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.buffer = b""
        self.send(f"NICK {nick}")
        self.send(f"USER {nick} 0 * :{nick}")

    def send(self, line):
        self.sock.sendall((line + "\r\n").encode())

    def wait_for(self, needle, seconds=30):
        deadline = time.monotonic() + seconds
        while needle not in self.buffer:
            self.sock.settimeout(max(0.01, deadline - time.monotonic()))
            chunk = self.sock.recv(65536)
            if not chunk:
                raise RuntimeError(f"server closed before {needle!r}")
            self.buffer += chunk
            for ping in [l for l in self.buffer.split(b"\r\n") if l.startswith(b"PING ")]:
                self.sock.sendall(b"PONG " + ping[5:] + b"\r\n")
                self.buffer = self.buffer.replace(ping + b"\r\n", b"")


def serve_file(listener, data):
    """The usual sender: the whole file, then close once the acknowledgements reach it."""
    conn, _ = listener.accept()
    conn.sendall(data)
    acked = 0
    conn.settimeout(60)
    while acked < len(data):
        chunk = conn.recv(4)
        if not chunk:
            break
        while len(chunk) < 4:
            chunk += conn.recv(4 - len(chunk))
        acked = int.from_bytes(chunk, "big")
    conn.close()


def sample(pid, seconds):
    """CPU share (per cent of one core) and the VmRSS range over the given time."""
    def cpu_ticks():
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime, stime

    def rss_kib():
        with open(f"/proc/{pid}/status") as status:
            return next(int(l.split()[1]) for l in status if l.startswith("VmRSS:"))

    start_ticks, start = cpu_ticks(), time.monotonic()
    rss = []
    while time.monotonic() - start < seconds:
        rss.append(rss_kib())
        time.sleep(0.5)
    cpu = (cpu_ticks() - start_ticks) / TICKS / (time.monotonic() - start) * 100
    return cpu, min(rss), max(rss)


def chat_flood(peer, lines, lateness_log):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(30)
    peer.send(f"PRIVMSG idler :\x01DCC CHAT chat 2130706433 {listener.getsockname()[1]}\x01")
    time.sleep(1.5)
    # "Accept Directchat with ...": the box holds nothing, so it has to be given the focus.
    box = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Confirm"],
                         capture_output=True, text=True).stdout.split()[-1]
    subprocess.run(["xdotool", "windowfocus", "--sync", box], stderr=subprocess.DEVNULL)
    subprocess.run(["xdotool", "key", "Return"], check=True)
    conn, _ = listener.accept()
    start = time.monotonic()
    conn.sendall(b"".join(f"flood line {i} with some words in it\r\n".encode() for i in range(lines)))
    time.sleep(15)
    gap = longest_gap_ms(lateness_log, start, time.monotonic()) or 0
    print(f"chat flood of {lines} lines: longest GUI-thread timer gap over 15 s: "
          + (f"{gap} ms" if gap else "under 75 ms"))
    conn.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", default="build/src/gui/pell-irc")
    parser.add_argument("--size", type=int, default=1048576)
    parser.add_argument("--xvfb", action="store_true", help="run under Xvfb instead of offscreen")
    parser.add_argument("--chat-flood", type=int, default=0, help="lines of a direct chat flood instead")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="pell-transfer-bench-")
    os.chmod(work, 0o755)
    port = free_port()
    server = start_ngircd(work, port)
    home = f"{work}/home"
    for folder in ("home", "xdg-data", "xdg-config"):
        os.makedirs(f"{work}/{folder}")
    with open(f"{home}/SList.dat", "wb") as f:
        f.write(slist_entry(port, "Idle", "idler"))
    lateness_log = f"{work}/lateness.log"
    env = dict(os.environ, PELL_IRC_HOME=home, PELL_IRC_SPLASH_MS="0", PELL_IRC_LATENESS_LOG=lateness_log,
               XDG_DATA_HOME=f"{work}/xdg-data", XDG_CONFIG_HOME=f"{work}/xdg-config")
    command = [args.program]
    if args.chat_flood:
        env.pop("QT_QPA_PLATFORM", None)  # the display xvfb-run gave the script
    elif args.xvfb:
        command = ["xvfb-run", "-a", "-s", "-screen 0 1280x800x24"] + command
        env.pop("QT_QPA_PLATFORM", None)
    else:
        env["QT_QPA_PLATFORM"] = "offscreen"
    launcher = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        peer = IrcClient(port, "offerer")
        peer.wait_for(b" 001 ")
        for _ in range(300):  # until the client has registered
            peer.buffer = b""
            peer.send("ISON idler")
            peer.wait_for(b" 303 ")
            if b":idler" in peer.buffer:
                break
            time.sleep(0.1)
        pid = client_pid(launcher, args.program)
        time.sleep(2)
        if args.chat_flood:
            chat_flood(peer, args.chat_flood, lateness_log)
            return 0
        before = sample(pid, 10)

        data = bytes((i * 7919 >> 3) & 0xFF for i in range(args.size))
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(1)
        listener.settimeout(30)
        peer.send(f"PRIVMSG idler :\x01DCC SEND bench.zip 2130706433 {listener.getsockname()[1]} {len(data)}\x01")
        started = time.monotonic()
        serve_file(listener, data)
        stored = f"{home}/Downloads/bench.zip"
        while (not os.path.exists(stored) or os.path.getsize(stored) < len(data)) and time.monotonic() - started < 120:
            time.sleep(0.1)
        with open(stored, "rb") as f:
            if f.read() != data:
                raise RuntimeError("the stored file differs from the one sent")
        elapsed = time.monotonic() - started
        gap = longest_gap_ms(lateness_log, started, time.monotonic()) or 0
        time.sleep(2)
        after = sample(pid, 10)
        mode = "Xvfb" if args.xvfb else "offscreen"
        print(f"{mode}, {len(data)} bytes stored in {elapsed:.1f} s; longest GUI-thread timer gap meanwhile: "
              + (f"{gap} ms" if gap else "under 75 ms"))
        for name, (cpu, low, high) in (("idle, no transfer", before), ("idle, finished download window", after)):
            print(f"{name}: CPU {cpu:.2f} % of one core, VmRSS {low / 1024:.1f} to {high / 1024:.1f} MiB")
    finally:
        stop_client(launcher)
        server.terminate()
        server.wait(10)
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
