"""Real DCC peers on loopback: a private ngircd, WeeChat, irssi and a scripted raw client.

WeeChat and irssi listen for DCC on every local address and no option narrows that, so
they start only inside a network namespace that has nothing but the loopback interface:
a script calls private_network() first, which runs it again inside such a namespace.
Every socket of this module binds or connects to 127.0.0.1 or ::1, and every process
started here ends when its context closes or, at the latest, when the interpreter exits.

    private_network()
    with Ngircd(ipv6=True) as server, RawClient(server, "raw") as raw, \\
         WeeChat(server, "wee") as wee:
        raw.wait_online("wee")
        listener = listen()
        raw.ctcp("wee", f"DCC SEND a.bin {ip_number('127.0.0.1')} {port_of(listener)} 5")
        serve(listener, b"hello")
        wee.wait_for_file(wee.received_path("raw", "a.bin"), 5)

Needs the Debian packages ngircd, weechat-headless, weechat-plugins (the fifo), irssi, tmux
(and unshare and ip, from util-linux and iproute2).
"""
import atexit
import ipaddress
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

_cleanups = []  # callables run at exit, newest first


@atexit.register
def _run_cleanups():
    while _cleanups:
        try:
            _cleanups.pop()()
        except Exception:
            pass


def wait_until(check, timeout=10.0, what="condition", step=0.05):
    """Polls check() until it gives something true; returns that or raises TimeoutError."""
    deadline = time.monotonic() + timeout
    while True:
        result = check()
        if result:
            return result
        if time.monotonic() > deadline:
            raise TimeoutError(f"timed out waiting for {what}")
        time.sleep(step)


def only_loopback():
    """Whether this process sees no network interface but the loopback one."""
    return [name for _, name in socket.if_nameindex()] == ["lo"]


def private_network():
    """Runs this script again inside a new network namespace with only the loopback
    interface up, unless it is in one already; returns only there."""
    if only_loopback():
        return
    if os.environ.get("DCC_PEERS_NETNS") == "1":
        raise RuntimeError("no private network namespace could be had")
    env = dict(os.environ, DCC_PEERS_NETNS="1")
    sys.exit(subprocess.call(["unshare", "--net", "sh", "-c", 'ip link set lo up && exec "$@"',
                              "sh", sys.executable, *sys.argv], env=env))


def family_of(host):
    return socket.AF_INET6 if ":" in host else socket.AF_INET


def free_port(host="127.0.0.1"):
    with socket.socket(family_of(host)) as s:
        s.bind((host, 0))
        return s.getsockname()[1]


def ip_number(dotted):
    """The DCC form of an IPv4 address: one unsigned decimal number."""
    return str(int(ipaddress.IPv4Address(dotted)))


def ip_text(field):
    """The address an offer's field names: a decimal number or a textual IPv6 address."""
    return str(ipaddress.ip_address(int(field) if field.isdigit() else field))


# ---------------------------------------------------------------- ngircd

class Ngircd:
    """A private ngircd on a free port of 127.0.0.1 (and ::1 with ipv6=True)."""

    def __init__(self, ipv6=False):
        self.work = Path(tempfile.mkdtemp(prefix="dcc-ngircd-"))
        self.work.chmod(0o755)  # ngircd gives up root and reads as nobody
        self.port = free_port()
        self.hosts = ["127.0.0.1"] + (["::1"] if ipv6 else [])
        (self.work / "include").mkdir()
        conf = self.work / "ngircd.conf"
        conf.write_text(f"""[Global]
Name = dcc.peers
Info = DCC peer facts
AdminInfo1 = DCC peers
AdminInfo2 = this machine only
AdminEMail = nobody@localhost
Listen = {",".join(self.hosts)}
Ports = {self.port}
MotdPhrase = DCC peers on loopback
[Limits]
MaxNickLength = 30
MaxPenaltyTime = 0
MaxConnectionsIP = 0
MaxJoins = 0
[Options]
PAM = no
Ident = no
DNS = no
ScrubCTCP = no
IncludeDir = {self.work}/include
""")
        conf.chmod(0o644)
        self.proc = subprocess.Popen(["ngircd", "-n", "-f", str(conf)],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _cleanups.append(self.stop)
        for host in self.hosts:
            wait_until(lambda: _answers(host, self.port), 5, f"ngircd on {host}")

    def stop(self):
        _end(self.proc)
        shutil.rmtree(self.work, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def _end(proc, timeout=5):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def _answers(host, port):
    try:
        socket.create_connection((host, port), 0.2).close()
        return True
    except OSError:
        return False


# ---------------------------------------------------------------- raw DCC sockets

def listen(host="127.0.0.1", port=0):
    """A listening socket on a loopback address (port 0: any free port)."""
    assert host in ("127.0.0.1", "::1"), "loopback only"
    s = socket.socket(family_of(host))
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((host, port))
    s.listen(4)
    _cleanups.append(s.close)
    return s


def port_of(sock):
    return sock.getsockname()[1]


def accept(listener, timeout=10.0):
    """The next connection, or None when nobody connects in time."""
    listener.settimeout(timeout)
    try:
        conn, _ = listener.accept()
    except socket.timeout:
        return None
    _cleanups.append(conn.close)
    return conn


def read_acks(conn, until=None, timeout=5.0):
    """Reads acknowledgement bytes until `until` is seen as a 32-bit (low bits) or 64-bit
    count, the peer closes, or nothing comes for `timeout` s. Returns (raw, closed)."""
    raw = b""
    conn.settimeout(timeout)
    while True:
        if until is not None and (until % 2**32 in ack_values(raw, 4) or until in ack_values(raw, 8)):
            return raw, False
        try:
            chunk = conn.recv(65536)
        except socket.timeout:
            return raw, False
        except ConnectionResetError:
            return raw, True
        if not chunk:
            return raw, True
        raw += chunk


def ack_values(raw, width=4):
    return [int.from_bytes(raw[i:i + width], "big") for i in range(0, len(raw) - width + 1, width)]


def serve(listener, data, start=0, timeout=10.0, ack_timeout=5.0, close_wait=3.0, conn=None,
          until=None, chunk=None, pause=0.0):
    """Sender side: accepts one receiver (or uses conn), sends data[start:] (a file path,
    or bytes, which may go in pieces of `chunk` with `pause` s after each), reads
    acknowledgements until `until` (default: the size) is acknowledged or nothing comes
    for ack_timeout s, then waits up to close_wait s for the receiver to close. Returns
    the figures, or None when nobody connected."""
    conn = conn or accept(listener, timeout)
    if conn is None:
        return None
    began = time.monotonic()
    if isinstance(data, (str, Path)):
        size = os.path.getsize(data)
        with open(data, "rb") as f:
            conn.sendfile(f, start)
    else:
        size = len(data)
        step = chunk or size
        for at in range(start, size, step):
            conn.sendall(memoryview(data)[at:at + step])
            time.sleep(pause)
    sent_at = time.monotonic()
    until = size if until is None else until
    raw, closed = read_acks(conn, until, ack_timeout)
    acked_at = time.monotonic()
    acked = until % 2**32 in ack_values(raw, 4) or until in ack_values(raw, 8)
    close_after = None
    if not closed:
        more, closed = read_acks(conn, None, close_wait)
        raw += more
        close_after = time.monotonic() - acked_at if closed else None
    conn.close()
    return {"size": size, "start": start, "send_s": sent_at - began,
            "acked_s": acked_at - began if acked else None,
            "ack_bytes": len(raw), "acks32": ack_values(raw, 4), "raw_acks": raw,
            "receiver_closed": closed, "closed_after_ack_s": close_after}


def fetch(host, port, size, start=0, ack=4, into=None, stall=3.0, close_wait=8.0, conn=None,
          read_size=1 << 18, pause=0.0):
    """Receiver side: connects (or uses conn), reads until size - start bytes arrived or
    nothing comes for `stall` s, acknowledging every read (of at most read_size bytes,
    `pause` s before each acknowledgement) with the running total as `ack` bytes (4, 8,
    or 0 for none). Then waits up to close_wait s for the sender to close. Returns the
    figures; the data itself goes to `into` (a path) when given."""
    if conn is None:
        conn = socket.create_connection((host, port), 5)
        _cleanups.append(conn.close)
    out = open(into, "wb") if into else None
    buf = bytearray(read_size)
    got, first, last = 0, None, None
    reads = 0
    conn.settimeout(stall)
    closed = reset = False
    try:
        while got < size - start:
            try:
                n = conn.recv_into(buf)
            except socket.timeout:
                break
            except ConnectionResetError:
                n, reset = 0, True
            if n == 0:
                closed = True
                break
            now = time.monotonic()
            first = first or now
            last = now
            got += n
            reads += 1
            if out:
                out.write(memoryview(buf)[:n])
            if ack:
                time.sleep(pause)
                try:
                    conn.sendall(((start + got) % (1 << (8 * ack))).to_bytes(ack, "big"))
                except (ConnectionResetError, BrokenPipeError):
                    closed = reset = True
                    break
        close_after = None
        extra = 0
        if closed:
            close_after = time.monotonic() - (last or time.monotonic())
        else:
            deadline = time.monotonic() + close_wait
            try:
                while time.monotonic() < deadline:
                    conn.settimeout(max(0.01, deadline - time.monotonic()))
                    n = conn.recv_into(buf)
                    if n == 0:
                        close_after = time.monotonic() - (last or deadline)
                        break
                    extra += n
            except socket.timeout:
                pass
            except ConnectionResetError:
                close_after = time.monotonic() - (last or deadline)
                reset = True
    finally:
        if out:
            out.close()
        conn.close()
    seconds = (last - first) if first and last and last > first else 0.0
    return {"received": got, "reads": reads, "seconds": seconds,
            "rate_mib_s": got / 2**20 / seconds if seconds else None,
            "closed_by_sender": closed or close_after is not None, "reset": reset,
            "close_after_s": close_after, "extra_after_size": extra}


def chat_read(conn, seconds=2.0):
    """Everything a chat partner sends within `seconds`."""
    data = b""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        conn.settimeout(max(0.01, deadline - time.monotonic()))
        try:
            chunk = conn.recv(4096)
        except socket.timeout:
            break
        if not chunk:
            break
        data += chunk
    return data


# ---------------------------------------------------------------- raw IRC client

class RawClient:
    """A scripted IRC client on a plain socket. Every line received is kept in `lines`."""

    def __init__(self, server, nick, host="127.0.0.1"):
        self.nick = nick
        self.sock = socket.create_connection((host, server.port), 5)
        self.sock.settimeout(None)  # the reader blocks for as long as it takes
        _cleanups.append(self.stop)
        self.lines = []
        self.cond = threading.Condition()
        self.cursor = 0  # index of the first line not yet taken by wait_ctcp
        threading.Thread(target=self._read, daemon=True).start()
        self.send(f"NICK {nick}")
        self.send(f"USER {nick} 0 * :{nick}")
        self.wait_line(rf"^:\S+ 001 {nick} ")

    def _read(self):
        rest = b""
        try:
            while True:
                chunk = self.sock.recv(65536)
                if not chunk:
                    break
                rest += chunk
                *done, rest = rest.split(b"\n")
                for raw in done:
                    line = raw.rstrip(b"\r").decode("utf-8", "replace")
                    if line.startswith("PING "):
                        self.send("PONG " + line[5:])
                    with self.cond:
                        self.lines.append(line)
                        self.cond.notify_all()
        except OSError:
            pass

    def send(self, line):
        self.sock.sendall((line + "\r\n").encode())

    def ctcp(self, target, text):
        self.send(f"PRIVMSG {target} :\x01{text}\x01")

    def wait_line(self, pattern, timeout=10.0, since=0):
        """The first line from index `since` on that matches; (match, index)."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self.cond:
            i = since
            while True:
                while i < len(self.lines):
                    m = regex.search(self.lines[i])
                    if m:
                        return m, i
                    i += 1
                left = deadline - time.monotonic()
                if left <= 0:
                    raise TimeoutError(f"no line matching {pattern!r}")
                self.cond.wait(left)

    def wait_ctcp(self, word="DCC", timeout=10.0):
        """(sender nick, CTCP text) of the next CTCP request not yet taken."""
        m, i = self.wait_line(rf"^:([^!\s]+)\S* PRIVMSG {self.nick} :\x01({word}\b[^\x01]*)\x01?$",
                              timeout, self.cursor)
        self.cursor = i + 1
        return m.group(1), m.group(2)

    def next_ctcp(self, word="DCC", timeout=3.0):
        """Like wait_ctcp but None instead of a time-out."""
        try:
            return self.wait_ctcp(word, timeout)
        except TimeoutError:
            return None

    def skip(self):
        """Forgets CTCP requests received so far."""
        with self.cond:
            self.cursor = len(self.lines)

    def wait_online(self, nick, timeout=20.0):
        def online():
            mark = len(self.lines)
            self.send(f"ISON {nick}")
            try:
                m, _ = self.wait_line(rf" 303 {self.nick} :(.*)$", 2, mark)
            except TimeoutError:
                return False
            return nick.lower() in m.group(1).lower().split()
        wait_until(online, timeout, f"{nick} on IRC", step=0.2)

    def stop(self):
        try:
            self.send("QUIT :done")
        except OSError:
            pass
        self.sock.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


# ---------------------------------------------------------------- real peers

class Peer:
    """What WeeChat and irssi have in common: a home folder, a download folder and the
    text the peer printed (read from its logs)."""

    def __init__(self, nick, prefix):
        if not only_loopback():
            raise RuntimeError("call private_network() first: the peer would listen on "
                               "every network")
        self.nick = nick
        self.home = Path(tempfile.mkdtemp(prefix=prefix))
        self.download_dir = self.home / "downloads"
        self.download_dir.mkdir()
        self._seen = {}

    def log_files(self):
        raise NotImplementedError

    def output(self):
        """Text the peer printed since the last call."""
        text = ""
        for path in self.log_files():
            data = path.read_bytes()
            text += data[self._seen.get(path, 0):].decode("utf-8", "replace")
            self._seen[path] = len(data)
        return re.sub(r"(?m)^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\t", "", text)  # WeeChat's dates

    def wait_output(self, pattern, timeout=10.0):
        """Collects printed text until it matches `pattern`; returns all of it."""
        collected = []

        def check():
            collected.append(self.output())
            return re.search(pattern, "".join(collected))
        try:
            wait_until(check, timeout, f"{pattern!r} from {self.nick}", 0.1)
        except TimeoutError:
            pass
        return "".join(collected)

    def wait_for_file(self, path, size, timeout=30.0):
        path = Path(path)
        wait_until(lambda: path.exists() and path.stat().st_size >= size, timeout,
                   f"{path} at {size} bytes", 0.05)
        return path

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class WeeChat(Peer):
    """weechat-headless driven through its fifo. `options` are extra /set pairs."""

    def __init__(self, server, nick, host="127.0.0.1", fast_send=True, auto_accept_files=True,
                 auto_accept_chats=True, own_ip="", port_range="", options=None):
        super().__init__(nick, "dcc-weechat-")
        settings = {
            "logger.file.flush_delay": "0",
            "xfer.file.download_path": f'"{self.download_dir}"',
            "xfer.file.upload_path": f'"{self.home}"',
            "xfer.network.fast_send": "on" if fast_send else "off",
            "xfer.file.auto_accept_files": "on" if auto_accept_files else "off",
            "xfer.file.auto_accept_chats": "on" if auto_accept_chats else "off",
            "xfer.network.own_ip": f'"{own_ip}"',
            "xfer.network.port_range": f'"{port_range}"',
            "irc.server_default.nicks": nick,
            "irc.server_default.username": nick,
            "irc.server_default.realname": nick,
            "irc.server_default.autoreconnect": "off",
            "irc.server_default.anti_flood_prio_high": "0",  # else lines queue 2 s apart
            "irc.server_default.anti_flood_prio_low": "0",
        }
        settings.update(options or {})
        commands = [f"/set {k} {v}" for k, v in settings.items()]
        address = f"{host}/{server.port}"
        commands += [f"/server add local {address}", "/connect local"]
        self.log = open(self.home / "stdout.log", "wb")
        self.proc = subprocess.Popen(
            ["weechat-headless", "--dir", str(self.home), "--stdout", "-r", ";".join(commands)],
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)
        _cleanups.append(self.stop)
        self.fifo = self.home / f"weechat_fifo_{self.proc.pid}"
        wait_until(self.fifo.exists, 10, "the WeeChat fifo")

    def command(self, text, buffer=""):
        """Runs a command or types text into a buffer ("" is the current one), e.g.
        command("hello", "xfer.irc_dcc.local.raw")."""
        with open(self.fifo, "w") as f:
            f.write(f"{buffer} *{text}\n" if buffer else f"*{text}\n")

    def set(self, option, value):
        self.command(f"/set {option} {value}")

    def send_file(self, nick, path, passive=False):
        if passive:
            raise NotImplementedError("WeeChat 3.8 has no passive DCC send")
        self.command(f"/dcc send {nick} {path}", "irc.server.local")

    def chat(self, nick, passive=False):
        if passive:
            raise NotImplementedError("WeeChat 3.8 has no passive DCC chat")
        self.command(f"/dcc chat {nick}", "irc.server.local")

    def accept(self):
        """Accepts the selected entry of the transfer list (as the key "a" would)."""
        self.command("a", "xfer.xfer.list")

    def say(self, nick, text):
        """A line in the direct chat with nick."""
        self.command(text, f"xfer.irc_dcc.local.{nick}")

    def close_chat(self, nick):
        self.command("/close", f"xfer.irc_dcc.local.{nick}")

    def received_path(self, sender, name):
        """Where a file from `sender` lands with the default use_nick_in_filename."""
        return self.download_dir / f"{sender}.{name}"

    def log_files(self):
        return sorted((self.home / "logs").glob("*.weechatlog"))

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.command("/quit")
                self.proc.wait(3)
            except (OSError, subprocess.TimeoutExpired):
                _end(self.proc)
        self.log.close()
        shutil.rmtree(self.home, ignore_errors=True)


class Irssi(Peer):
    """irssi in a private tmux server; commands are typed into its window."""

    def __init__(self, server, nick, host="127.0.0.1", autoget=True, lowports=False,
                 autoresume=False, own_ip="", port="0", settings=None):
        super().__init__(nick, "dcc-irssi-")
        self.socket_name = f"dcc-irssi-{os.getpid()}-{nick}"
        dcc = {"dcc_autoget": autoget, "dcc_autoaccept_lowports": lowports,
               "dcc_autoresume": autoresume, "dcc_own_ip": own_ip, "dcc_port": port,
               "dcc_download_path": str(self.download_dir),
               "dcc_upload_path": str(self.home)}
        dcc.update(settings or {})
        body = " ".join(f'{k} = "{_irssi_value(v)}";' for k, v in dcc.items())
        (self.home / "config").write_text(f"""
servers = ( {{ address = "{host}"; chatnet = "local"; port = "{server.port}";
              autoconnect = "yes"; }} );
chatnets = {{ local = {{ type = "IRC"; }}; }};
settings = {{
  core = {{ nick = "{nick}"; user_name = "{nick}"; real_name = "{nick}"; }};
  "irc/dcc" = {{ {body} }};
}};
""")
        # Everything irssi prints goes to all.log, every IRC line in and out to raw.log.
        (self.home / "startup").write_text(f"/log open {self.home}/all.log ALL\n")
        subprocess.run(["tmux", "-L", self.socket_name, "-f", "/dev/null", "new-session",
                        "-d", "-s", "irssi", "-x", "200", "-y", "50",
                        f"irssi --home {self.home}"], check=True)
        _cleanups.append(self.stop)
        log = self.home / "all.log"
        wait_until(lambda: log.exists() and b"Welcome" in log.read_bytes(), 10, "irssi on IRC")
        self.command(f"/rawlog open {self.home}/raw.log")

    def command(self, text):
        """Types a line into irssi's active window, with a pause before Enter."""
        self._tmux("send-keys", "-t", "irssi", "-l", text)
        time.sleep(0.2)
        self._tmux("send-keys", "-t", "irssi", "Enter")
        time.sleep(0.2)

    def _tmux(self, *args):
        subprocess.run(["tmux", "-L", self.socket_name, *args], check=True)

    def screen(self):
        return subprocess.run(["tmux", "-L", self.socket_name, "capture-pane", "-p", "-t", "irssi"],
                              capture_output=True, text=True).stdout

    def set(self, option, value):
        if isinstance(value, bool):
            value = "ON" if value else "OFF"
        self.command(f"/set {option} {value}")

    def send_file(self, nick, path, passive=False):
        quoted = f'"{path}"' if " " in str(path) else str(path)
        self.command(f"/dcc send {'-passive ' if passive else ''}{nick} {quoted}")

    def chat(self, nick, passive=False):
        self.command(f"/dcc chat {'-passive ' if passive else ''}{nick}")

    def accept(self, nick="", name=""):
        self.command(f"/dcc get {nick} {name}".rstrip())

    def resume(self, nick="", name=""):
        self.command(f"/dcc resume {nick} {name}".rstrip())

    def say(self, nick, text):
        self.command(f"/msg ={nick} {text}")

    def close_chat(self, nick):
        self.command(f"/dcc close chat {nick}")

    def received_path(self, sender, name):
        return self.download_dir / name

    def log_files(self):
        return [p for p in [self.home / "all.log"] if p.exists()]

    def sent_lines(self):
        """Every IRC line irssi has sent since the raw log was opened."""
        raw = self.home / "raw.log"
        text = raw.read_text("utf-8", "replace") if raw.exists() else ""
        return [line[3:] for line in text.splitlines() if line.startswith("<< ")]

    def stop(self):
        subprocess.run(["tmux", "-L", self.socket_name, "kill-server"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.home, ignore_errors=True)


def _irssi_value(v):
    return ("yes" if v else "no") if isinstance(v, bool) else v
