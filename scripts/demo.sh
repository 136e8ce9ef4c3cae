#!/usr/bin/env bash
# A first run with no IRC network at hand: a private ngircd on a free loopback port, a
# small bot linked to it, and the client with a throwaway settings folder whose server
# list connects there at start-up. Everything started here ends with the client.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${PELL_DEMO_PROGRAM:-build/src/gui/pell-irc}
work=$(mktemp -d /tmp/pell-demo-XXXXXX)
chmod 755 "$work" # ngircd gives up root and reads as nobody
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
password=$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')
channel="#pell-demo"
mkdir -p "$work/include" "$work/home" "$work/xdg-data" "$work/xdg-config"
cat >"$work/ngircd.conf" <<CONF
[Global]
Name = pell.demo
Info = Pell-IRC demo server
AdminInfo1 = Pell-IRC demo
AdminInfo2 = this machine only
AdminEMail = nobody@localhost
Listen = 127.0.0.1
Ports = $port
MotdPhrase = A private IRC server for the Pell-IRC demo. Nothing leaves this machine.
[Limits]
MaxNickLength = 30
[Options]
PAM = no
Ident = no
DNS = no
IncludeDir = $work/include
[Server]
Name = bot.pell-demo
Host = 127.0.0.1
MyPassword = $password
PeerPassword = $password
Passive = yes
[Channel]
Name = $channel
Topic = Welcome to Pell-IRC: say hello to pellbot
CONF
chmod 644 "$work/ngircd.conf"
ngircd -n -f "$work/ngircd.conf" >"$work/ngircd.log" 2>&1 &
pids+=($!)
python3 scripts/demo_bot.py "$port" "$password" "$channel" &
pids+=($!)

# One server entry that connects at start-up: name, host, port, auto-connect, nick,
# real name, user name, password, the four user modes.
nick="guest$((RANDOM % 1000))"
printf '%s\r\n' "Pell-IRC demo" 127.0.0.1 "$port" True "$nick" "Pell-IRC newcomer" "$nick" "" \
  False False False False >"$work/home/SList.dat"
PELL_IRC_HOME="$work/home" XDG_DATA_HOME="$work/xdg-data" XDG_CONFIG_HOME="$work/xdg-config" \
  "$program" "$@"
