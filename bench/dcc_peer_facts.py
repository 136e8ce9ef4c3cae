#!/usr/bin/env python3
"""Records what WeeChat and irssi do on the wire as DCC peers.

Only the scripted raw client of dcc_peers.py talks to them, through a private ngircd. The
script runs itself again inside a network namespace of its own that has nothing but the
loopback interface, so even the hostile offers it sends (address 0, 255.255.255.255) can
only reach this machine. A summary goes to standard output and to --out. Takes about
four minutes.

  python3 bench/dcc_peer_facts.py [--out /work/coord/dcc-peer-facts.md] [--only weechat]
"""
import argparse
import contextlib
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dcc_peers import (Irssi, Ngircd, RawClient, WeeChat, accept, ack_values, chat_read,  # noqa: E402
                       fetch, ip_number, ip_text, listen, port_of, private_network, serve,
                       socket)

LOCAL = ip_number("127.0.0.1")  # 2130706433
NAMES = {"weechat": "WeeChat 3.8", "irssi": "irssi 1.4"}
facts = []   # (section, peer, text)
glance = {}  # question -> {peer: short answer}


def note(section, peer, text, key=None, short=None):
    """One observation; with `key` it also goes into the table at the top."""
    facts.append((section, peer, text))
    if key:  # the first answer to a question stays
        glance.setdefault(key, {}).setdefault(peer, text if short is None else short)
    print(f"[{peer}] {section}: {text}", flush=True)


@contextlib.contextmanager
def session(kind, host="127.0.0.1", **options):
    """A fresh server, raw client "raw" and peer ("wee" or "irs"), all on `host`."""
    with Ngircd(ipv6=host == "::1") as server, RawClient(server, "raw", host) as raw:
        peer_class = WeeChat if kind == "weechat" else Irssi
        with peer_class(server, "wee" if kind == "weechat" else "irs", host, **options) as peer:
            raw.wait_online(peer.nick)
            time.sleep(0.5)
            peer.output()
            yield raw, peer


def offer_words(text):
    """DCC <type> <name> <rest...>, the name possibly in double quotes."""
    m = re.match(r'DCC (\S+) ("[^"]*"|\S+) ?(.*)$', text)
    return m.group(1), m.group(2).strip('"'), m.group(3).split()


def said(peer, wait=0.0):
    """The DCC lines the peer printed since the last look, in one line."""
    time.sleep(wait)
    keep = [re.sub(r"^\d\d:\d\d |\s+", " ", line).strip() for line in peer.output().splitlines()
            if re.search(r"xfer|DCC|Warning|=!=", line) and "Option changed" not in line]
    return " | ".join(keep)[:500] or "(nothing)"


def not_applicable(kind, *keys):
    for key in keys:
        glance.setdefault(key, {}).setdefault(kind, "n/a")


def code(text):
    return f"`{text}`" if text else "none"


def make_file(path, size, fill=None):
    block = fill or bytes(range(256)) * 4096  # 1 MiB pattern
    with open(path, "wb") as f:
        for _ in range(size // len(block)):
            f.write(block)
        f.write(block[:size % len(block)])
    return path


def sparse_file(path, size):
    with open(path, "wb") as f:
        f.truncate(size)
    return path


def take_offer(raw, peer, path, passive=False, timeout=8):
    """The CTCP text of the peer's offer of `path` to raw, or None."""
    raw.skip()
    peer.output()
    peer.send_file("raw", path, passive)
    offer = raw.next_ctcp(timeout=timeout)
    return offer[1] if offer else None


def offer_to(raw, peer, name, addr, port, size, token=None):
    raw.skip()
    peer.output()
    raw.ctcp(peer.nick, f"DCC SEND {name} {addr} {port} {size}" + (f" {token}" if token else ""))


def try_small(raw, peer, listener, name, addr, port=None):
    """Offers 5 bytes from `listener`; what happened, in a few words."""
    port = port or port_of(listener)
    offer_to(raw, peer, name, addr, port, 5)
    r = serve(listener, b"12345", timeout=4, ack_timeout=3, close_wait=1)
    return ("connected and took the file" if r and r["acks32"] else
            "connected" if r else "did not connect")


# ---------------------------------------------------------------- what each peer offers

def probe_offers(kind, raw, peer, family):
    sec = f"Offers sent by the peer (IRC on {family})"
    small = make_file(peer.home / "plain.bin", 5000)
    ports = []
    for i in range(2):
        text = take_offer(raw, peer, small)
        if i == 0:
            note(sec, kind, f"active SEND offer: {code(text)}", f"active SEND offer, IRC on {family}",
                 code(text))
        if text:
            _, name, (addr, port, size, *_) = offer_words(text)
            ports.append(int(port))
            got = fetch(ip_text(addr), int(port), int(size), stall=3, close_wait=3)
            if i == 0:
                note(sec, kind, f"address field {addr} = {ip_text(addr)}; fetching it gave "
                     f"{got['received']} of {size} bytes")
    note(sec, kind, f"listening ports of two offers in a row: {ports}")
    if family != "IPv4":
        return
    blanks = make_file(peer.home / "a b  c.txt", 10)
    text = take_offer(raw, peer, blanks)
    note(sec, kind, f"name with blanks (`a b  c.txt`): {code(text)}",
         "file name `a b  c.txt` offered as", code(text))
    if kind == "weechat":
        peer.set("xfer.file.convert_spaces", "off")
        text = take_offer(raw, peer, blanks)
        note(sec, kind, f"same with xfer.file.convert_spaces off: {code(text)}")
        peer.set("xfer.file.convert_spaces", "on")
    option, values = (("xfer.network.port_range", ["50100-50110", '""']) if kind == "weechat"
                      else ("dcc_port", ["50100 50110", "0"]))
    peer.set(option, values[0])
    text = take_offer(raw, peer, small)
    peer.set(option, values[1])
    note(sec, kind, f"with the port range set to 50100-50110: {code(text)}")
    glance.setdefault("listening port", {})[kind] = (
        f"any free port by default ({', '.join(map(str, ports))}); with the range 50100-50110 "
        f"set: {offer_words(text)[2][1] if text else '?'}")
    try:  # a name of its own: irssi matches our reply to the first offer of that name
        text = take_offer(raw, peer, make_file(peer.home / "passive.bin", 5000), passive=True)
    except NotImplementedError as e:
        note(sec, kind, f"passive SEND: not offered ({e})", "passive SEND offer", "none (no option)")
        not_applicable(kind, "after our passive reply with a port")
        return
    note(sec, kind, f"passive SEND offer: {code(text)}", "passive SEND offer", code(text))
    if text:
        _, name, (addr, port, size, token) = offer_words(text)
        listener = listen()
        reply = f"DCC SEND {name} {LOCAL} {port_of(listener)} {size} {token}"
        raw.ctcp(peer.nick, reply)
        conn = accept(listener, 5)
        got = fetch(None, 0, int(size), conn=conn) if conn else None
        note(sec, kind, f"after our reply `{reply}`: "
             + (f"it connected and sent {got['received']} bytes, then closed "
               f"{got['close_after_s']} s after its last byte" if got else "it did not connect"),
             "after our passive reply with a port", "connects and sends" if got else "nothing")
    note(sec, kind, f"printed: {said(peer)}")


def probe_chats(kind, raw, peer, family):
    """Chat requests both ways; the peer's passive offer first, while no other chat with
    raw exists (irssi matches a reply to the first pending chat with that nick)."""
    sec = f"Direct chat (IRC on {family})"
    raw.skip()
    try:
        peer.chat("raw", passive=True)
        offer = raw.next_ctcp(timeout=5)
    except NotImplementedError as e:
        note(sec, kind, f"passive CHAT: not offered ({e})", "passive CHAT offer", "none (no option)")
        not_applicable(kind, "after our reply to its passive CHAT")
        offer = None
    if offer:
        note(sec, kind, f"passive CHAT offer: {code(offer[1])}", "passive CHAT offer", code(offer[1]))
        token = offer_words(offer[1])[2][-1]
        listener = listen()
        reply = f"DCC CHAT chat {LOCAL} {port_of(listener)} {token}"
        raw.ctcp(peer.nick, reply)
        conn = accept(listener, 5)
        note(sec, kind, f"after our `{reply}` it "
             + ("connected" if conn else f"did not connect; printed: {said(peer, 0.5)}"),
             "after our reply to its passive CHAT", "connects" if conn else
             "does not connect (takes the reply for a new request)")
        if conn:
            conn.close()
        peer.close_chat("raw")
    for passive in (True, False):
        listener = listen()
        text = (f"DCC CHAT chat {LOCAL} 0 55" if passive
                else f"DCC CHAT chat {LOCAL} {port_of(listener)}")
        raw.skip()
        peer.output()
        raw.ctcp(peer.nick, text)
        time.sleep(1)
        if kind == "irssi":
            peer.command("/dcc chat raw")  # irssi accepts a chat request this way
        reply = raw.next_ctcp(timeout=4)
        if passive:
            note(sec, kind, f"passive request `{text}`: reply {code(reply and reply[1])}",
                 "reply to a passive CHAT request", code(reply and reply[1]))
            if not reply:
                note(sec, kind, f"printed: {said(peer)}")
                continue
            _, _, (addr, port, *_) = offer_words(reply[1])
            conn = socket.create_connection((ip_text(addr), int(port)), 5)
        else:
            conn = accept(listener, 4)
            note(sec, kind, f"request `{text}`: " + ("it connected" if conn else "it did not connect"))
            if not conn:
                continue
        time.sleep(0.5)
        peer.say("raw", "line to you")
        note(sec, kind, f"then its chat line: {chat_read(conn, 2)!r}")
        conn.close()
        peer.close_chat("raw")
    raw.skip()
    peer.chat("raw")
    offer = raw.next_ctcp(timeout=5)
    note(sec, kind, f"CHAT offer: {code(offer and offer[1])}", f"CHAT offer, IRC on {family}",
         code(offer and offer[1]))
    if not offer:
        return
    _, _, (addr, port, *_) = offer_words(offer[1])
    conn = socket.create_connection((ip_text(addr), int(port)), 5)
    time.sleep(1)
    peer.say("raw", "hello from the peer")
    line = chat_read(conn, 2)
    note(sec, kind, f"a chat line it sends: {line!r}", "chat line ending",
         "CR LF" if line.endswith(b"\r\n") else "LF" if line.endswith(b"\n") else repr(line))
    conn.sendall(b"crlf line\r\nlf line\n")
    time.sleep(1)
    shown = [l.strip() for l in peer.output().splitlines() if "lf line" in l]
    note(sec, kind, f"our `crlf line` CR LF `lf line` LF were shown as: {shown!r}")
    conn.close()
    peer.close_chat("raw")


# ---------------------------------------------------------------- offers to the peer

def probe_offers_in(kind, raw, peer):
    sec = "Offers received by the peer"
    data = make_file(peer.home / "src.bin", 1 << 20).read_bytes()
    listener = listen()
    offer_to(raw, peer, "acks.bin", LOCAL, port_of(listener), len(data))
    r = serve(listener, data, ack_timeout=5, chunk=16384, pause=0.01)
    if r:
        width = "64-bit" if r["ack_bytes"] % 8 == 0 and not any(r["acks32"][0::2]) else "32-bit"
        closed = (f"it closed {r['closed_after_ack_s']:.3f} s after the full ack"
                  if r["closed_after_ack_s"] is not None else
                  "it had closed before the full ack" if r["receiver_closed"] else
                  "it did not close within 3 s of the full ack")
        note("Acknowledgements", kind, f"as receiver of 1 MiB sent in 16 KiB pieces 10 ms "
             f"apart: {len(r['acks32'])} acks ({r['ack_bytes']} bytes, {width}), first "
             f"{r['acks32'][:6]}, last {r['acks32'][-1:]}; {closed}",
             "acks as receiver (1 MiB in 64 pieces)",
             f"{len(r['acks32'])} {width} acks of the running total; {closed}")
        with contextlib.suppress(TimeoutError):
            peer.wait_for_file(peer.received_path("raw", "acks.bin"), len(data), 5)
    else:
        note("Acknowledgements", kind, "as receiver: it never connected")
    note(sec, kind, f"saved as: {sorted(os.listdir(peer.download_dir))}")

    # Passive offer (port 0 and a token): does it answer with its own port?
    offer_to(raw, peer, "passive.bin", LOCAL, 0, 1000, 77)
    reply = raw.next_ctcp(timeout=4)
    how = ""
    if not reply and kind == "irssi":
        note(sec, kind, f"passive offer, not taken by itself: {said(peer)}")
        peer.accept("raw", "passive.bin")
        reply = raw.next_ctcp(timeout=4)
        how = " after /dcc get"
    printed = said(peer, 0.5)
    note(sec, kind, f"passive `DCC SEND passive.bin {LOCAL} 0 1000 77`{how}: reply "
         f"{code(reply and reply[1])}; printed: {printed}", "reply to a passive SEND offer "
         f"`DCC SEND passive.bin {LOCAL} 0 1000 77`",
         code(reply and reply[1]) + how + ("" if reply else f"; printed: {printed}"))
    if reply:
        _, _, (addr, port, *_) = offer_words(reply[1])
        r = serve(None, b"p" * 1000, conn=socket.create_connection((ip_text(addr), int(port)), 5))
        note(sec, kind, f"sending to its port: acks {r['acks32']}")

    # Names with blanks, as our client sends them (unquoted), and quoted.
    for name in ("two words.txt", '"quoted name.txt"'):
        result = try_small(raw, peer, listen(), name, LOCAL)
        note(sec, kind, f"`DCC SEND {name} {LOCAL} <port> 5`: {result}; printed: {said(peer, 0.5)}")
    saved = sorted(os.listdir(peer.download_dir))
    note(sec, kind, f"download folder now: {saved}", "offered `two words.txt` / "
         "`\"quoted name.txt\"` saved as", ", ".join(n for n in saved if "txt" in n))

    # Odd addresses and ports. Every listener is on loopback; the namespace has nothing else.
    low = next(p for p in range(1023, 900, -1) if _free(p))
    cases = [("offer with address `::1`", "::1", None), (f"offer on port {low}", LOCAL, low),
             ("offer with address 0", "0", None), ("offer with address 0.0.0.0", "0.0.0.0", None),
             ("offer with address 4294967295", "4294967295", None),
             ("offer with address 255.255.255.255", "255.255.255.255", None)]
    for i, (label, addr, port) in enumerate(cases):
        listener = listen("::1" if addr == "::1" else "127.0.0.1", port or 0)
        result = try_small(raw, peer, listener, f"odd{i}.bin", addr)
        printed = said(peer, 0.5)
        note(sec, kind, f"{label}: {result}; printed: {printed}", label.replace(str(low), "<1024"),
             result + ("; shown as " + m.group(1) if (m := re.search(
                 r"from raw \[?\(?([0-9a-f.:]+)", printed)) else ""))
        listener.close()
    if kind == "irssi":
        peer.set("dcc_autoaccept_lowports", True)
        result = try_small(raw, peer, listen("127.0.0.1", low), "low2.bin", LOCAL)
        note(sec, kind, f"port {low} with dcc_autoaccept_lowports ON: {result}")
        peer.set("dcc_autoaccept_lowports", False)


def _free(port):
    try:
        listen("127.0.0.1", port).close()
        return True
    except OSError:
        return False


# ---------------------------------------------------------------- resume

def probe_resume(kind, raw, peer):
    sec = "RESUME and ACCEPT"
    data = make_file(peer.home / "resume-src.bin", 100000).read_bytes()
    if kind == "irssi":
        peer.set("dcc_autoresume", True)
    # As receiver: a partial file exists (WeeChat keeps it under the temporary suffix).
    partial = peer.download_dir / ("raw.part.bin.part" if kind == "weechat" else "part.bin")
    partial.write_bytes(data[:40000])
    listener = listen()
    port = port_of(listener)
    offer_to(raw, peer, "part.bin", LOCAL, port, len(data))
    reply = raw.next_ctcp(timeout=5)
    note(sec, kind, f"receiver with a partial file of 40000 bytes ({partial.name}), offer "
         f"`DCC SEND part.bin {LOCAL} {port} 100000`: it sends {code(reply and reply[1])}",
         "receiver with a partial file sends", code(reply and reply[1]))
    if reply:
        raw.ctcp(peer.nick, f"DCC ACCEPT part.bin {port} 40000")
        r = serve(listener, data, start=40000)
        final = peer.received_path("raw", "part.bin")
        with contextlib.suppress(TimeoutError):
            peer.wait_for_file(final, len(data), 5)
        ok = final.exists() and final.read_bytes() == data
        note(sec, kind, f"after `DCC ACCEPT part.bin {port} 40000` it connected: {bool(r)}; "
             f"acks {r and r['acks32']}; file complete and equal: {ok}")
    # As receiver of a passive offer with a partial file.
    partial = peer.download_dir / ("raw.ppart.bin.part" if kind == "weechat" else "ppart.bin")
    partial.write_bytes(data[:40000])
    offer_to(raw, peer, "ppart.bin", LOCAL, 0, len(data), 99)
    if kind == "irssi":
        time.sleep(1)
        peer.resume("raw", "ppart.bin")
    reply = raw.next_ctcp(timeout=4)
    note(sec, kind, f"passive offer `DCC SEND ppart.bin {LOCAL} 0 100000 99` with a partial "
         f"file: it sends {code(reply and reply[1])}", "same for a passive offer (token 99)",
         code(reply and reply[1]))
    if not reply:
        not_applicable(kind, "then after our `DCC ACCEPT ppart.bin 0 40000 99`")
    if reply and reply[1].startswith("DCC RESUME"):
        raw.ctcp(peer.nick, "DCC ACCEPT ppart.bin 0 40000 99")
        second = raw.next_ctcp(timeout=4)
        note(sec, kind, f"after `DCC ACCEPT ppart.bin 0 40000 99`: {code(second and second[1])}",
             "then after our `DCC ACCEPT ppart.bin 0 40000 99`", code(second and second[1]))
        if second:
            _, _, (addr, p, *_) = offer_words(second[1])
            conn = socket.create_connection((ip_text(addr), int(p)), 5)
            r = serve(None, data, start=40000, conn=conn)
            note(sec, kind, f"sending from 40000 to that port: acks {r['acks32'][-1:]}")
    note(sec, kind, f"printed: {said(peer, 0.5)}")

    # As sender: we ask to resume.
    text = take_offer(raw, peer, peer.home / "resume-src.bin")
    if text:
        _, name, (addr, port, size, *_) = offer_words(text)
        raw.ctcp(peer.nick, f"DCC RESUME {name} {port} 40000")
        reply = raw.next_ctcp(timeout=4)
        note(sec, kind, f"sender: our `DCC RESUME {name} {port} 40000` is answered "
             f"{code(reply and reply[1])}", "sender answers our `DCC RESUME name port 40000` with",
             code(reply and reply[1]).replace(port, "port"))
        if reply:
            got = fetch(ip_text(addr), int(port), len(data), start=40000, into=peer.home / "r.out")
            same = (peer.home / "r.out").read_bytes() == data[40000:]
            note(sec, kind, f"then it sent {got['received']} bytes, equal to the tail: {same}")
    src = peer.home / "presume-src.bin"
    src.write_bytes(data)
    try:
        text = take_offer(raw, peer, src, passive=True)
    except NotImplementedError:
        text = None
        not_applicable(kind, "passive sender answers our `DCC RESUME name 0 40000 token` with")
    if text:
        _, name, (addr, port, size, token) = offer_words(text)
        raw.ctcp(peer.nick, f"DCC RESUME {name} 0 40000 {token}")
        reply = raw.next_ctcp(timeout=4)
        note(sec, kind, f"passive sender: our `DCC RESUME {name} 0 40000 {token}` is answered "
             f"{code(reply and reply[1])}", "passive sender answers our `DCC RESUME name 0 40000 "
             "token` with", code(reply and reply[1]))
        if reply:
            listener = listen()
            raw.ctcp(peer.nick, f"DCC SEND {name} {LOCAL} {port_of(listener)} {size} {token}")
            conn = accept(listener, 5)
            got = fetch(None, 0, len(data), start=40000, conn=conn) if conn else None
            note(sec, kind, "after our `DCC SEND name ip port size token` it "
                 + (f"connected and sent {got['received']} bytes" if got else "did not connect"))
    note(sec, kind, f"printed: {said(peer, 0.5)}")


def probe_huge(kind, raw, peer):
    sec = "Sizes above 4 GiB"
    pos = 2**32 + 1000
    size = 5_000_000_000
    # Receiver: a sparse partial file just past 4 GiB, an offer of 5 GB.
    partial = peer.download_dir / ("raw.big.bin.part" if kind == "weechat" else "big.bin")
    sparse_file(partial, pos)
    listener = listen()
    port = port_of(listener)
    offer_to(raw, peer, "big.bin", LOCAL, port, size)
    reply = raw.next_ctcp(timeout=5)
    note(sec, kind, f"receiver, partial file of {pos} bytes, offer of {size}: it sends "
         f"{code(reply and reply[1])}", "receiver: RESUME for a partial file of 2^32+1000 bytes",
         code(reply and reply[1]))
    if reply and reply[1].startswith("DCC RESUME"):
        resumed_at = int(offer_words(reply[1])[2][1])
        raw.ctcp(peer.nick, f"DCC ACCEPT big.bin {port} {resumed_at}")
        chunk = b"z" * (1 << 20)
        r = serve(listener, chunk, until=resumed_at + len(chunk), ack_timeout=4, close_wait=0.5)
        if r:
            a4, a8 = ack_values(r["raw_acks"], 4), ack_values(r["raw_acks"], 8)
            end = resumed_at + len(chunk)
            width = ("64-bit" if len(r["raw_acks"]) % 8 == 0 and a8[-1:] == [end] else
                     "32-bit (low bits)" if a4[-1:] == [end % 2**32] else "unclear")
            note(sec, kind, f"acks after 1 MiB past {resumed_at}: {len(r['raw_acks'])} bytes, last "
                 f"as 32-bit {a4[-1:]}, as 64-bit {a8[-1:]} -> {width}",
                 "receiver: acks past 4 GiB", f"{width}, last {a4[-1:]}")
    note(sec, kind, f"printed: {said(peer, 0.5)}")
    # Sender: a sparse 5 GB file; we resume just past 4 GiB.
    text = take_offer(raw, peer, sparse_file(peer.home / "huge.bin", size))
    note(sec, kind, f"sender of a {size}-byte file offers {code(text)}")
    if text:
        _, name, (addr, port, *_) = offer_words(text)
        raw.ctcp(peer.nick, f"DCC RESUME {name} {port} {pos}")
        reply = raw.next_ctcp(timeout=4)
        note(sec, kind, f"our `DCC RESUME {name} {port} {pos}` is answered {code(reply and reply[1])}",
             "sender: answer to RESUME at 2^32+1000", code(reply and reply[1]).replace(port, "port"))
        if reply:
            got = fetch(ip_text(addr), int(port), pos + (1 << 20), start=pos, close_wait=0.5)
            note(sec, kind, f"then it sent {got['received']} bytes from there (we took 1 MiB)")
    note(sec, kind, f"printed: {said(peer, 0.5)}")


# ---------------------------------------------------------------- peer as sender

def probe_sender(kind, raw, peer, label):
    sec = "Acknowledgements"
    path = make_file(peer.home / "eight.bin", 8 << 20)
    for ack in (4, 0):
        text = take_offer(raw, peer, path)
        if not text:
            note(sec, kind, f"sender {label}: no offer came")
            continue
        _, _, (addr, port, size, *_) = offer_words(text)
        got = fetch(ip_text(addr), int(port), int(size), ack=ack, stall=3, close_wait=8)
        how = "acking every read (4 bytes)" if ack else "sending no acks"
        closed = (f"it closed {got['close_after_s']:.2f} s after its last byte"
                  if got["close_after_s"] is not None else "it did not close within 8 s")
        note(sec, kind, f"sender{' ' + label if label else ''}, receiver {how}: got "
             f"{got['received']} of {size} bytes; {closed}",
             f"as sender of 8 MiB, receiver {how}" + (f" ({label})" if "off" in label else ""),
             f"{got['received'] / 2**20:g} MiB sent; {closed}")
    # A receiver that reads at most 4096 bytes at a time and waits 20 ms before each ack.
    text = take_offer(raw, peer, make_file(peer.home / "two.bin", 2 << 20))
    if text:
        _, _, (addr, port, size, *_) = offer_words(text)
        got = fetch(ip_text(addr), int(port), int(size), read_size=4096, pause=0.02, stall=5)
        end = ("it reset the connection" if got["reset"] else
               f"it closed {got['close_after_s']:.2f} s after its last byte"
               if got["close_after_s"] is not None else "it did not close within 8 s")
        note(sec, kind, f"sender{' ' + label if label else ''}, slow receiver (reads of 4096 "
             f"bytes, 20 ms before each ack): got {got['received']} of {size} bytes in "
             f"{got['seconds']:.1f} s; {end}",
             "as sender of 2 MiB, slow receiver (4096-byte reads, 20 ms before each ack)"
             + (f" ({label})" if "off" in label else ""),
             f"{got['received']} of {size} bytes arrived; {end}")
    note(sec, kind, f"printed: {said(peer, 0.5)}")


def probe_rates(kind, raw, peer):
    sec = "200 MiB on loopback"
    size = 200 << 20
    path = make_file(peer.home / "big200.bin", size, os.urandom(1 << 20))
    text = take_offer(raw, peer, path)
    if text:
        _, _, (addr, port, *_) = offer_words(text)
        got = fetch(ip_text(addr), int(port), size, ack=4, close_wait=4)
        rate = f"{got['rate_mib_s']:.0f} MiB/s" if got["rate_mib_s"] else "?"
        note(sec, kind, f"peer -> raw (raw acks every read): {got['received']} bytes in "
             f"{got['seconds']:.2f} s = {rate}", "200 MiB peer -> raw client", rate)
    listener = listen()
    offer_to(raw, peer, "in200.bin", LOCAL, port_of(listener), size)
    r = serve(listener, path, timeout=10, ack_timeout=30)
    final = peer.received_path("raw", "in200.bin")
    rate = f"{size / 2**20 / r['acked_s']:.0f} MiB/s" if r and r["acked_s"] else "not completed"
    note(sec, kind, "raw -> peer: " + (f"fully acknowledged after {r['acked_s']:.2f} s = {rate}, "
                                       f"with {len(r['acks32'])} acks in all"
                                       if r and r["acked_s"] else rate),
         "200 MiB raw client -> peer (until the full ack)",
         rate + (f", {len(r['acks32'])} acks in all" if r and r["acked_s"] else ""))
    try:
        peer.wait_for_file(final, size, 30)
        same = subprocess.run(["cmp", "-s", str(path), str(final)]).returncode == 0
    except TimeoutError:
        same = False
    note(sec, kind, f"received file equal to the source: {same}")
    note(sec, kind, f"printed: {said(peer, 0.5)}")


# ---------------------------------------------------------------- main

def run(kind):
    with session(kind) as (raw, peer):
        probe_offers(kind, raw, peer, "IPv4")
        probe_chats(kind, raw, peer, "IPv4")
        probe_offers_in(kind, raw, peer)
        probe_resume(kind, raw, peer)
        probe_huge(kind, raw, peer)
        probe_sender(kind, raw, peer, "with fast_send on" if kind == "weechat" else "")
    if kind == "weechat":
        with session(kind, fast_send=False) as (raw, peer):
            probe_sender(kind, raw, peer, "with fast_send off")
    with session(kind, "::1") as (raw, peer):
        probe_offers(kind, raw, peer, "IPv6")
        probe_chats(kind, raw, peer, "IPv6")
        result = try_small(raw, peer, listen("::1"), "v6.bin", "::1")
        note("Offers received by the peer", kind, f"IRC on ::1, offer with address `::1`: {result}")
    with session(kind) as (raw, peer):
        probe_rates(kind, raw, peer)


def summary():
    out = ["# DCC behaviour of WeeChat 3.8 and irssi 1.4 on loopback", "",
           "Recorded by bench/dcc_peer_facts.py: a scripted raw client talks to each peer "
           "through a private ngircd; nick `raw` is the script, `wee` WeeChat, `irs` irssi; "
           f"{LOCAL} is 127.0.0.1. Defaults unless a line says otherwise (WeeChat: "
           "auto_accept_files/chats on; irssi: dcc_autoget on, dcc_autoresume on for RESUME). "
           "Rates are on a shared 2-core machine.", "",
           "## At a glance", "", "| | WeeChat 3.8 | irssi 1.4 |", "|---|---|---|"]
    for key, answers in glance.items():
        cells = [answers.get(kind, "").replace("|", "\\|") for kind in NAMES]
        out.append(f"| {key} | {cells[0]} | {cells[1]} |")
    out.append("")
    for section in dict.fromkeys(s for s, _, _ in facts):
        out += [f"## {section}", ""]
        for kind in NAMES:
            lines = [t for s, k, t in facts if s == section and k == kind]
            if lines:
                out += [f"**{NAMES[kind]}**", ""] + [f"- {t}" for t in lines] + [""]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", default="/work/coord/dcc-peer-facts.md")
    parser.add_argument("--only", choices=list(NAMES))
    args = parser.parse_args()
    private_network()
    for kind in [args.only] if args.only else list(NAMES):
        try:
            run(kind)
        except Exception as e:  # keep what was found so far
            note("Errors", kind, f"{type(e).__name__}: {e}")
    text = summary()
    print("\n" + text)
    with open(args.out, "w") as f:
        f.write(text + "\n")


if __name__ == "__main__":
    main()
