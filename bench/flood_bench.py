#!/usr/bin/env python3
"""Floods the real client with channel lines and measures how fast it keeps up.

A local server registers the client, makes it join #flood, sends N PRIVMSG lines of
about 100 bytes (some with colour codes, some with links) and then a PING; the figure
is the time from the first flood byte to the client's PONG. It also reports the
client's peak resident memory (VmHWM) after registration (idle) and at the PONG, and the
longest gap between two ticks of the client's 50 ms lateness probe during the flood.
Only 127.0.0.1 is used.

Modes: "mixed" (the old load: every tenth line coloured, every 25th with a link, one
repeated sentence), "colours" (the same with colour codes in every line as clients send
them: two digits, backgrounds, reset, italic, reverse), "links" (varied chat, a unique link
in every line), "plain" (the same chat without links), "list" (a channel list: 321, N times
322, 323).

With --tls the client connects with TLS (its server entry's port reads "+PORT") to a
server whose certificate is made with the openssl command and trusted through
SSL_CERT_FILE; the run also reports how long after the TCP accept the handshake ended
and the registration lines arrived.

  bench/flood_bench.py [--program build/src/gui/pell-irc] [--lines 100000] [--mode links] [--xvfb] [--tls]
"""
import argparse
import os
import random
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import time


def slist_entry(port, name="Flood", nick="flooder", tls=False):
    """One server entry that connects at start-up to 127.0.0.1:port."""
    # Name, host, port, auto-connect, nick, real name, user, password, four modes.
    lines = [name, "127.0.0.1", ("+" if tls else "") + str(port), "True", nick, f"{name} Bench",
             nick, "", "False", "False", "False", "False"]
    return "".join(line + "\r\n" for line in lines).encode()


def tls_context(home):
    """A server context with a certificate for 127.0.0.1 made here; the client trusts
    it through SSL_CERT_FILE, never the system's store."""
    cert, key = os.path.join(home, "server.pem"), os.path.join(home, "server.key")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=localhost",
                    "-addext", "subjectAltName=IP:127.0.0.1"], check=True, capture_output=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context, cert


def flood_lines(count, colours=False):
    out = []
    for i in range(count):
        text = f"line {i} of the flood, talking about nothing in particular here"
        if colours:
            text = (f"\x0304,01red on black\x0f and \x0312blue\x03 \x1ditalic\x1d {i} "
                    f"\x16reversed\x16 \x02bold\x02 with \x0309,12colour\x03 all over")
        elif i % 10 == 0:
            text = f"\x034red\x03 and \x02bold\x02 line {i} with some colour codes in it"
        if i % 25 == 0:
            text = f"see http://example.org/page/{i} for line {i} of the flood"
        out.append(f":user{i % 500}!u{i % 500}@host.example PRIVMSG #flood :{text}\r\n")
    return "".join(out).encode()


def vocabulary(rng, count, low, high):
    """Made-up words of a few syllables, so lines look like chat but never repeat."""
    syllables = [c + v for c in "bcdfghklmnprstvwz" for v in "aeiou"] + ["th", "sh", "qu", "x"]
    words = set()
    while len(words) < count:
        words.add("".join(rng.choice(syllables) for _ in range(rng.randint(low, high))))
    return sorted(words)


def chat_lines(count, with_links):
    rng = random.Random(13)
    words = vocabulary(rng, 4000, 1, 4)
    nicks = vocabulary(rng, 400, 2, 4)
    out = []
    for i in range(count):
        nick = rng.choice(nicks)
        text = " ".join(rng.choice(words) for _ in range(rng.randint(4, 9) if with_links else rng.randint(7, 12)))
        if with_links:
            # Unique host path and query, placed anywhere in the line.
            url = f"http://{rng.choice(words)}.example/{rng.choice(words)}/{i:x}"
            cut = rng.randint(0, text.count(" "))
            parts = text.split(" ")
            text = " ".join(parts[:cut] + [url] + parts[cut:])
        out.append(f":{nick}!{nick[:6]}@host.example PRIVMSG #flood :{text}\r\n")
    return "".join(out).encode()


def list_lines(count):
    rng = random.Random(13)
    words = vocabulary(rng, 4000, 1, 4)
    out = [":flood.srv 321 flooder Channel :Users  Name\r\n"]
    for i in range(count):
        name = f"#{rng.choice(words)}{rng.choice(['', '-', '_'])}{rng.choice(words)}{i % 97 or ''}"
        topic = " ".join(rng.choice(words) for _ in range(rng.randint(0, 8)))
        out.append(f":flood.srv 322 flooder {name} {rng.randint(1, 3000)} :{topic}\r\n")
    out.append(":flood.srv 323 flooder :End of LIST\r\n")
    return "".join(out).encode()


def payload_for(mode, count):
    if mode == "list":
        return list_lines(count)
    if mode in ("links", "plain"):
        return chat_lines(count, mode == "links")
    return flood_lines(count, mode == "colours")


def longest_gap_ms(log_path, start, end):
    """The longest gap the probe logged between two of its ticks inside [start, end]."""
    try:
        with open(log_path) as log:
            gaps = [int(gap) for at, gap in (line.split() for line in log)
                    if start * 1000 <= int(at) <= end * 1000 + int(gap)]
        return max(gaps, default=0)
    except (OSError, ValueError):
        return None


def read_until(conn, buffer, needle, deadline):
    while needle not in buffer:
        conn.settimeout(max(0.01, deadline - time.monotonic()))
        chunk = conn.recv(65536)
        if not chunk:
            raise RuntimeError(f"client closed before sending {needle!r}")
        buffer += chunk
    return buffer


def memory_kib(pid, field="VmHWM:"):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith(field):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def client_pid(launcher, program):
    """The pid of the client itself: xvfb-run starts it as a grandchild. Only our own
    descendants are searched, since other copies of the program may run meanwhile."""
    name = os.path.basename(program)
    todo, found = [launcher.pid], launcher.pid
    while todo:
        pid = todo.pop()
        try:
            with open(f"/proc/{pid}/comm") as comm:
                if comm.read().strip() == name[:15]:
                    found = pid
            with open(f"/proc/{pid}/task/{pid}/children") as children:
                todo += [int(child) for child in children.read().split()]
        except (OSError, ValueError):
            pass
    return found


def stop_client(launcher):
    launcher.terminate()
    try:
        launcher.wait(10)
    except subprocess.TimeoutExpired:
        launcher.kill()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", default="build/src/gui/pell-irc")
    parser.add_argument("--lines", type=int, default=100000)
    parser.add_argument("--mode", choices=["mixed", "colours", "links", "plain", "list"], default="mixed")
    parser.add_argument("--xvfb", action="store_true", help="run under Xvfb instead of offscreen")
    parser.add_argument("--tls", action="store_true", help="connect with TLS")
    args = parser.parse_args()

    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    port = listener.getsockname()[1]

    home = tempfile.mkdtemp(prefix="pell-flood-")
    with open(os.path.join(home, "SList.dat"), "wb") as f:
        f.write(slist_entry(port, tls=args.tls))
    lateness_log = os.path.join(home, "lateness.log")
    env = dict(os.environ, PELL_IRC_HOME=home, PELL_IRC_SPLASH_MS="0", PELL_IRC_LATENESS_LOG=lateness_log,
               XDG_DATA_HOME=os.path.join(home, "data"), XDG_CONFIG_HOME=os.path.join(home, "config"))
    context = None
    if args.tls:
        context, cert = tls_context(home)
        env.update(SSL_CERT_FILE=cert, SSL_CERT_DIR=home)
    command = [args.program]
    if args.xvfb:
        command = ["xvfb-run", "-a", "-s", "-screen 0 1280x800x24"] + command
        env.pop("QT_QPA_PLATFORM", None)
    else:
        env["QT_QPA_PLATFORM"] = "offscreen"
    payload = payload_for(args.mode, args.lines)
    launcher = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        listener.settimeout(30)
        conn, _ = listener.accept()
        accepted = time.monotonic()
        if context:
            conn = context.wrap_socket(conn, server_side=True)
        handshake = time.monotonic() - accepted
        deadline = time.monotonic() + 30
        buffer = read_until(conn, b"", b"USER ", deadline)
        registration = time.monotonic() - accepted
        conn.sendall(b":flood.srv 001 flooder :Welcome\r\n:flooder!u@h JOIN :#flood\r\n")
        read_until(conn, buffer, b"MODE #flood", deadline)
        time.sleep(0.5)  # let the session window settle before taking the idle figure
        pid = client_pid(launcher, args.program)
        idle = memory_kib(pid)
        start = time.monotonic()
        conn.sendall(payload)
        conn.sendall(b"PING :flood-done\r\n")
        read_until(conn, b"", b"PONG :flood-done", start + 600)
        elapsed = time.monotonic() - start
        end = time.monotonic()
        peak = memory_kib(pid)
        time.sleep(0.2)  # the probe's last tick
        gap = longest_gap_ms(lateness_log, start, end)
        where = ("Xvfb" if args.xvfb else "offscreen") + (" over TLS" if args.tls else "")
        print(f"connect: " + (f"TLS handshake done {handshake * 1000:.1f} ms, " if args.tls else "")
              + f"registration lines in {registration * 1000:.1f} ms after the TCP accept")
        print(f"{args.mode} {args.lines} lines ({len(payload)} bytes), {where}: {elapsed:.3f} s to PONG, "
              + (f"peak memory {peak / 1024:.1f} MiB, idle {idle / 1024:.1f} MiB, "
                 f"growth {(peak - idle) / 1024:.1f} MiB" if peak and idle else "memory unknown")
              + (", no probe log" if gap is None else f", longest probe gap {gap or 'below 75'} ms"))
        conn.close()
    finally:
        stop_client(launcher)
        shutil.rmtree(home, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
