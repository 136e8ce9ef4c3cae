#!/usr/bin/env python3
"""Records what one client, "pell", receives from a real IRC server on 127.0.0.1, as the
transcripts in tests/data/servers: one line per server line exactly as received, and notes
starting with "#" saying what was done just before.

usage: record-transcript.py KIND PORT OUT [UPSTREAM]
  KIND      ngircd, inspircd, inspircd-cap, hybrid, irc2 or znc
  PORT      where pell connects (for znc: the bouncer)
  UPSTREAM  for znc, the port of the server behind it, where bob and carol connect

The server needs an IRC operator "test" with the password "test" (bob ends with a KILL);
inspircd-cap needs atheme linked (accounts are registered through NickServ); znc needs the
user pell/test with the password "sesame". Connects to 127.0.0.1 only.
"""
import base64
import re
import socket
import sys
import time


class Conn:
    """A raw client that keeps every line it receives and answers PING."""

    def __init__(self, port):
        self.sock = socket.create_connection(('127.0.0.1', port), timeout=10)
        self.buf = b''
        self.lines = []

    def send(self, line):
        self.sock.sendall(line.encode('utf-8', 'surrogateescape') + b'\r\n')

    def read(self, timeout):
        self.sock.settimeout(timeout)
        try:
            data = self.sock.recv(65536)
        except (socket.timeout, TimeoutError):
            return True
        except OSError:
            return False
        if not data:
            return False
        self.buf += data
        while b'\n' in self.buf:
            raw, self.buf = self.buf.split(b'\n', 1)
            line = raw.rstrip(b'\r').decode('utf-8', 'surrogateescape')
            if line.startswith('PING '):
                self.send('PONG ' + line[5:])
            self.lines.append(line)
        return True

    def expect(self, pattern, timeout=5):
        """Reads until a new line matches; returns it, or None on time-out or close."""
        rx = re.compile(pattern)
        seen = len(self.lines)
        end = time.time() + timeout
        while time.time() < end:
            for line in self.lines[seen:]:
                seen += 1
                if rx.search(line):
                    return line
            if not self.read(0.1) and seen == len(self.lines):
                return None
        return None

    def drain(self, timeout=0.5):
        end = time.time() + timeout
        while time.time() < end:
            if not self.read(0.1):
                break


kind, port, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
upstream = int(sys.argv[4]) if len(sys.argv) > 4 else port   # znc: the server behind it
slow = kind == 'irc2'
# irc2 in split mode (no other server linked) gives nobody @ in # channels; & channels are local and do.
chan = '&pell' if slow else '#pell'
record = []

def section(title):
    record.append('# ' + title)

def settle(*conns, t=None):
    t = max(t or 0, 2.5) if slow else (t if t is not None else 0.4)
    end = time.time() + t
    while time.time() < end:
        for c in conns:
            c.read(0.05)

class Own:
    """The recorded client: every line it receives goes into the record."""
    def __init__(self, conn):
        self.c = conn
        self.mark = 0
    def take(self):
        self.c.drain(0.05)
        record.extend(self.c.lines[self.mark:])
        self.mark = len(self.c.lines)
    def skip(self):
        self.c.drain(0.05)
        self.mark = len(self.c.lines)

def peer(nick, port=upstream):
    c = Conn(port)
    c.send('NICK ' + nick)
    c.send('USER %s 0 * :%s' % (nick, nick))
    assert c.expect(r' 00[14] ', 30), nick
    c.drain(0.3)
    return c

def act(conn, *lines, wait=None):
    for l in lines:
        conn.send(l)
        if slow:
            time.sleep(1.0)
    settle(conn, *([pell.c] if pell else []), *others, t=wait)
    if pell:
        pell.take()

others = []
pell = None
bob = peer('bob')
others.append(bob)
if slow:  # operators are spared the flood penalty
    bob.send('OPER test test')
    assert bob.expect(' 381 ', 10)
if kind == 'inspircd-cap':
    bob.send('PRIVMSG NickServ :REGISTER bobpass1 bob@example.org')
    assert bob.expect('registered', 5)
    reg = peer('pell')
    reg.send('PRIVMSG NickServ :REGISTER sesame1 pell@example.org')
    assert reg.expect('registered', 5)
    reg.send('QUIT :done')
    reg.drain(0.5)
carol = peer('carol')
others.append(carol)
act(bob, 'JOIN ' + chan)
act(bob, 'TOPIC ' + chan + ' :Welcome to ' + chan + ', the test channel')
act(carol, 'JOIN ' + chan)

if kind == 'znc':
    c = Conn(port)
    pell = Own(c)
    section('registration through the bouncer: PASS user/network:password, NICK, USER')
    c.send('PASS pell/test:sesame')
    c.send('NICK pell')
    c.send('USER pell 0 * :pell')
elif kind == 'inspircd-cap':
    c = Conn(port)
    pell = Own(c)
    section('CAP LS 302 sent before NICK and USER')
    c.send('CAP LS 302')
    c.send('NICK pell')
    c.send('USER pell 0 * :pell')
    c.expect('CAP')
    settle(c, t=0.3)
    pell.take()
    section('CAP REQ :multi-prefix server-time message-tags account-tag account-notify away-notify extended-join echo-message userhost-in-names sasl')
    act(c, 'CAP REQ :multi-prefix server-time message-tags account-tag account-notify away-notify extended-join echo-message userhost-in-names sasl')
    section('CAP REQ :no-such-capability')
    act(c, 'CAP REQ :no-such-capability')
    section('AUTHENTICATE PLAIN with a wrong password')
    act(c, 'AUTHENTICATE PLAIN')
    act(c, 'AUTHENTICATE ' + base64.b64encode(b'pell\0pell\0wrong').decode(), wait=1.0)
    section('AUTHENTICATE PLAIN with the right password')
    act(c, 'AUTHENTICATE PLAIN')
    act(c, 'AUTHENTICATE ' + base64.b64encode(b'pell\0pell\0sesame1').decode(), wait=1.0)
    section('CAP END: the registration burst (tags on numerics are the server\'s own)')
    c.send('CAP END')
else:
    c = Conn(port)
    pell = Own(c)
    section('registration: NICK, USER')
    c.send('NICK pell')
    c.send('USER pell 0 * :pell')
assert c.expect(r' 376 | 422 ', 30)
settle(c, t=1.5 if kind in ('irc2', 'znc', 'inspircd', 'inspircd-cap') else 0.5)
pell.take()

section('JOIN ' + chan + ' (bob and carol are in it, bob set the topic)')
act(c, 'JOIN ' + chan, wait=1.0)
section('MODE ' + chan)
act(c, 'MODE ' + chan)

section('bob: MODE ' + chan + ' +o pell')
act(bob, 'MODE ' + chan + ' +o pell')
section('bob: MODE ' + chan + ' +v pell')
act(bob, 'MODE ' + chan + ' +v pell')
if kind in ('ngircd', 'znc', 'hybrid') :
    section('CAP REQ :multi-prefix after registration, then NAMES ' + chan)
    act(c, 'CAP REQ :multi-prefix')
    act(c, 'NAMES ' + chan)
elif kind == 'inspircd':
    section('PROTOCTL NAMESX, then NAMES ' + chan)
    act(c, 'PROTOCTL NAMESX')
    act(c, 'NAMES ' + chan)
else:
    section('NAMES ' + chan)
    act(c, 'NAMES ' + chan)
section('bob: MODE ' + chan + ' -o pell')
act(bob, 'MODE ' + chan + ' -o pell')
section('bob: MODE ' + chan + ' -v pell')
act(bob, 'MODE ' + chan + ' -v pell')
section('bob: MODE ' + chan + ' +ov pell carol')
act(bob, 'MODE ' + chan + ' +ov pell carol')
if kind == 'hybrid' or kind.startswith('inspircd'):
    section('bob: MODE ' + chan + ' +hv carol pell')
    act(bob, 'MODE ' + chan + ' +hv carol pell')
section('bob: MODE ' + chan + ' -o pell')
act(bob, 'MODE ' + chan + ' -o pell')
section('bob: MODE ' + chan + ' +eo *!*@evil.example pell')
act(bob, 'MODE ' + chan + ' +eo *!*@evil.example pell')
section('bob: MODE ' + chan + ' +beI *!*@bad.example *!*@good.example *!*@friend.example')
act(bob, 'MODE ' + chan + ' +beI *!*@bad.example *!*@good.example *!*@friend.example')
section('NAMES ' + chan)
act(c, 'NAMES ' + chan)

section('bob: PRIVMSG pell :hello pell')
act(bob, 'PRIVMSG pell :hello pell')
section('bob: NOTICE pell :a private notice')
act(bob, 'NOTICE pell :a private notice')
section('bob: PRIVMSG pell :\\x01ACTION waves\\x01')
act(bob, 'PRIVMSG pell :\x01ACTION waves\x01')
section('bob: PRIVMSG pell with colours: \\x034 one digit, \\x0304,12 two digits and a background, \\x0f reset, \\x1d italic, \\x16 reverse, \\x02 bold, \\x1f underline')
act(bob, 'PRIVMSG pell :\x034red\x03 \x0304,12red on blue\x0f plain \x1ditalic\x1d \x16reverse\x16 \x02bold\x02 \x1funderline\x1f')
section('bob: PRIVMSG ' + chan + ' :hello channel')
act(bob, 'PRIVMSG ' + chan + ' :hello channel')
section('PRIVMSG ' + chan + ' :my own line' + (' (echo-message)' if kind == 'inspircd-cap' else ' (nothing comes back)'))
act(c, 'PRIVMSG ' + chan + ' :my own line')
section('bob: KICK ' + chan + ' pell :out you go')
act(bob, 'KICK ' + chan + ' pell :out you go')
section('QUIT :bye')
act(c, 'QUIT :bye', wait=1.0)

# A second connection as pell, killed by an operator.
c2 = Conn(port)
if kind == 'znc':
    c2.send('PASS pell/test:sesame')
c2.send('NICK pell')
c2.send('USER pell 0 * :pell')
assert c2.expect(r' 376 | 422 ', 30)
settle(c2, t=1.0)
pell = Own(c2)
pell.skip()
if not slow:
    bob.send('OPER test test')
    assert bob.expect(' 381 ', 30)
section('a new connection as pell; bob (an operator): KILL pell :enough')
act(bob, 'KILL pell :enough', wait=1.5)
if kind == 'znc':
    section('after the kill: ZNC reconnects upstream')
    settle(c2, t=3)
    pell.take()
    section('QUIT :bye (ZNC keeps the upstream connection)')
    act(c2, 'QUIT :bye', wait=1.0)
with open(out, 'w', encoding='utf-8', errors='surrogateescape', newline='\n') as f:
    for l in record:
        f.write(l + '\n')
print(len(record), 'lines in', out)
