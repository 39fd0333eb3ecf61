#!/bin/bash
# Steps a gas sensor through three concentrations of gas A in humid gas B and
# marks the log at each, over one connection that socat keeps open (the error
# queue belongs to the connection). Usage: step_sensor.sh [HOST:PORT]
set -eu
coproc MIXER { socat - "TCP:${1:-127.0.0.1:5025}"; }
send() { echo "$1" >&"${MIXER[1]}"; }
query() { send "$1"; read -r reply <&"${MIXER[0]}"; echo "$reply"; }

query '*IDN?'
send '*CLS;:SOURce:WATer:CONCentration 7300'
for ppm in 50 150 500; do
  query "SOURce:GASA:CONCentration $ppm;:MIXer:STATe DILution;*OPC?" >/dev/null
  send "LOG:MARK \"sensor at $ppm ppm\""
  sleep 600
  echo "$ppm ppm asked: $(query 'MEASure:GASA:CONCentration?') delivered, $(query 'SYSTem:ERRor?')"
done
query 'MIXer:STATe STANdby;*OPC?' >/dev/null
