#!/usr/bin/env python3
"""The demo's bot: a tiny IRC server linked to the demo's ngircd.

Linked as a server it can do what a client cannot: put every newcomer into the demo
channel, where its user "pellbot" greets them and answers what they say. Only 127.0.0.1.

  scripts/demo_bot.py PORT PASSWORD CHANNEL
"""
import socket
import sys
import time

SERVER = "bot.pell-demo"
BOT = "pellbot"

ANSWERS = [
    ("help", "Try: type a line and press Enter; /nick NEWNAME; /join #another; "
             "right-click a nick in the list for op, voice, DCC and more."),
    ("hello", "Hello {nick}! This is a private IRC server on your own machine."),
    ("hi", "Hi {nick}! Say 'help' for a few things to try."),
    ("http", "Links you post show up in the list at the bottom of the main window."),
]


def answer(nick, text):
    lowered = text.lower()
    for word, reply in ANSWERS:
        if word in lowered:
            return reply.format(nick=nick)
    return f"{nick}: you said \"{text}\". Say 'help' for a few things to try."


def main():
    port, password, channel = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    for _ in range(100):
        try:
            link = socket.create_connection(("127.0.0.1", port))
            break
        except OSError:
            time.sleep(0.05)
    else:
        sys.exit("demo bot: the server did not answer")

    def send(line):
        link.sendall((line + "\r\n").encode())

    # No "H" among the flags: the plain handshake registers the link at once.
    send(f"PASS {password} 0210-IRC+ pellbot|1:CLMSX P")
    send(f"SERVER {SERVER} 1 :Pell-IRC demo bot")
    send(f":{SERVER} NICK {BOT} 1 bot 127.0.0.1 1 + :Pell-IRC demo bot")
    send(f":{SERVER} NJOIN {channel} :@{BOT}")
    members = set()
    buffer = b""
    while True:
        data = link.recv(4096)
        if not data:
            return
        buffer += data
        while b"\n" in buffer:
            raw, buffer = buffer.split(b"\n", 1)
            words = raw.decode("utf-8", "replace").rstrip("\r").split(" ")
            if len(words) >= 2 and words[0] == "PING":
                send(f":{SERVER} PONG {SERVER} {words[1]}")
            elif len(words) >= 3 and words[1] == "PING":
                send(f":{SERVER} PONG {SERVER} {words[2]}")
            elif len(words) >= 3 and words[1] == "NICK" and len(words) >= 7:
                # A user registered on the server: into the channel with them.
                nick = words[2]
                send(f":{SERVER} NJOIN {channel} :{nick}")
                members.add(nick)
                # A forced join brings no names reply from the server: the bot sends it,
                # so the client's nick list is filled as after a join of its own.
                send(f":{SERVER} 353 {nick} = {channel} :@{BOT} " + " ".join(sorted(members)))
                send(f":{SERVER} 366 {nick} {channel} :End of NAMES list")
                send(f":{BOT} PRIVMSG {channel} :Welcome, {nick}! You are on a private IRC server "
                     "started just for this demo. Say hello.")
            elif len(words) >= 2 and words[1] == "QUIT":
                members.discard(words[0][1:].split("!")[0])
            elif len(words) >= 4 and words[1] == "PRIVMSG" and words[0].startswith(":"):
                nick, target = words[0][1:].split("!")[0], words[2]
                text = " ".join(words[3:])[1:]
                if nick == BOT or text.startswith("\x01"):
                    continue
                if target.lower() == channel.lower():
                    send(f":{BOT} PRIVMSG {channel} :{answer(nick, text)}")
                elif target.lower() == BOT:
                    send(f":{BOT} PRIVMSG {nick} :{answer(nick, text)}")


if __name__ == "__main__":
    main()
