#!/usr/bin/python3
"""dilutra-cli serve on the simulated rig, driven by PyVISA's pure-Python
backend as a lab script drives it. Usage: pyvisa_serve_test.py DILUTRA_CLI.
Timeouts are generous: the machine may be slow; what is checked is what the
mixer does, never how fast."""
import atexit, os, re, signal, subprocess, sys, tempfile, threading, time
import pyvisa

CLI = sys.argv[1]
WAIT = 180  # seconds for anything the rig does
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


class Server:
    """One `serve --simulate` process, its journal in a folder of its own."""

    def __init__(self, *extra):
        self.data = tempfile.TemporaryDirectory()
        env = dict(os.environ, XDG_DATA_HOME=self.data.name, LC_ALL="de_DE.UTF-8")
        self.proc = subprocess.Popen([CLI, "serve", "--simulate", "--gas-a", "O2", "--gas-b", "Ar",
                                      "--listen", "127.0.0.1:0", *extra],
                                     stdout=subprocess.PIPE, text=True, env=env)
        self.lines, self.port = [], None
        atexit.register(lambda: self.proc.poll() is None and self.proc.kill())
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.append(line.rstrip("\n"))

    def connect(self, rm):
        deadline = time.time() + WAIT
        while self.port is None and time.time() < deadline and self.proc.poll() is None:
            found = [m for l in self.lines if (m := re.match(r"listening on 127\.0\.0\.1:(\d+)$", l))]
            self.port = int(found[0].group(1)) if found else None
            time.sleep(0.2)
        if self.port is None:
            sys.exit("serve did not listen: " + "\n".join(self.lines))
        inst = rm.open_resource(f"TCPIP0::127.0.0.1::{self.port}::SOCKET", read_termination="\n",
                                write_termination="\n", timeout=WAIT * 1000)
        return inst

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        code = self.proc.wait(WAIT)
        time.sleep(0.5)
        return code

    def journal(self):
        folder = os.path.join(self.data.name, "Dilutra", "journal")
        return "".join(open(os.path.join(folder, f), encoding="utf-8", errors="replace").read()
                       for f in os.listdir(folder))


def until(inst, query, done):
    deadline = time.time() + WAIT
    while time.time() < deadline:
        reply = inst.query(query)
        if done(reply):
            return reply
        time.sleep(0.5)
    return reply


rm = pyvisa.ResourceManager("@py")
faulty = Server("--simulate-fault", "relay-silent@20")
server = Server()
inst = server.connect(rm)

check(inst.query("*IDN?").startswith("Dilutra,dilutra,0,"), "*IDN? names the program")

# Bad commands: each leaves its error, and the queue empties in order.
for line, code in [("FOO:BAR 1", -113), ("SOUR:GASA:CONC abc", -104), ("SOUR:GASA:CONC", -109),
                   ("SOUR:GASA:CONC 1,2", -108), ("SOUR:GASA:CONC 2000000", -222), ("MIX:STAT SIDEWAYS", -224),
                   ('LOG:MARK "open', -102), ("*IDN", -113)]:
    inst.write(line)
    reply = inst.query("SYST:ERR?")
    check(reply.startswith(f"{code},"), f"{line!r} gives {code} ({reply})")
check(inst.query("SYSTem:ERRor:NEXT?") == '0,"No error"', "the error queue is empty after reading")

# A humidified dilution set and started by commands.
inst.write("SOURce:GASA:CONCentration 150;:sour:wat:conc 7300;:MIXer:STATe DILution")
check(inst.query("*OPC?") == "1", "*OPC? answers once the commands are done")
check(inst.query("MIX:STAT?") == "Dilution", "the mixer dilutes")
check(inst.query("MIX:METH?") == '"A (pulse) in B/H2O"', "the method is the planner's")
check(inst.query("SOUR:GASA:CONC?;:SOUR:WAT:CONC?") == "150;7300", "the request reads back")
rows = int(inst.query("LOG:ROWS?"))
inst.write('LOG:MARK "sensor at 150 ppm"')
check(int(inst.query("LOG:ROWS?")) > rows, "LOG:MARK stores a row")
time.sleep(30)
a, w = float(inst.query("MEAS:GASA:CONC?")), float(inst.query("MEAS:WAT:CONC?"))
check(abs(a - 150) <= 15 and abs(w - 7300) <= 730, f"delivered after 30 s: {a} ppm gas A, {w} ppm water")
check(float(inst.query("MEAS:GASB:FLOW?")) > 0 and 0 < float(inst.query("MEAS:BUBB:TEMP?")) < 100,
      "flows and the bubbler read")

# A program of two short steps, from the first to the end.
inst.write("PROG:CLE;STEP:ADD 200,0,0.1,0;ADD 300,5000,0.1,1")
check(inst.query("PROG:STEP:COUN?") == "2", "two steps added")
inst.write("PROG:STAR")
check(until(inst, "PROG:STAT?", lambda r: r.startswith("RUN,2,2,")).startswith("RUN,2,2,"), "the program reaches step 2")
check(until(inst, "PROG:STAT?", lambda r: r == "IDLE") == "IDLE", "the program ends")
check(inst.query("MIX:STAT?") == "Standby" and inst.query("SOUR:WAT:CONC?") == "5000", "it ends in Standby")

inst.write("MIX:STAT BYP")
check(inst.query("*RST;*OPC?;:MIX:STAT?") == "1;Standby", "*RST puts the mixer in Standby")
inst.close()
check(server.stop() == 0, "SIGTERM ends serve")
check(server.lines[-1].startswith("closed: every valve closed"), "the close duties ran")
check(re.search(r"\d\d:\d\d:\d\d;Mark;\"sensorat150ppm\"", server.journal()) is not None, "the mark is journaled")

# A fault of the rig raises an alarm, which refuses Dilution until acknowledged.
inst = faulty.connect(rm)
inst.write("MIX:STAT BYP")
cause = until(inst, "ALARm?", lambda r: r != '""')
check(cause != '""', f"the silent relay board raises an alarm: {cause}")
inst.write("MIX:STAT DIL")
check(inst.query("SYST:ERR?").startswith('-221,"Settings conflict;Acknowledge the alarm'), "Dilution is refused")
check(inst.query("MIX:STAT?") == "Standby", "the mixer stays in Standby")
inst.write("ALARm:ACKnowledge")
check(inst.query("ALAR?") == '""', "the alarm is acknowledged")
inst.close()
check(faulty.stop() == 0 and any(l.startswith("alarm: ") for l in faulty.lines), "serve printed the alarm")
sys.exit(1 if failures else 0)
