#!/usr/bin/python3
"""Steps a gas sensor through three concentrations of gas A in humid gas B and
marks the log at each, so that the sensor's record lines up with the mixer's.
Usage: step_sensor.py [HOST] (the mixer: dilutra --remote, or dilutra-cli serve)."""
import sys, time
import pyvisa
HOLD_S = 600  # how long the sensor sees each concentration
mixer = pyvisa.ResourceManager("@py").open_resource(
    f"TCPIP0::{sys.argv[1] if len(sys.argv) > 1 else '127.0.0.1'}::5025::SOCKET",
    read_termination="\n", write_termination="\n", timeout=60000)
print(mixer.query("*IDN?"))
mixer.write("*CLS;:SOURce:WATer:CONCentration 7300")
for ppm in (50, 150, 500):
    mixer.write(f"SOURce:GASA:CONCentration {ppm};:MIXer:STATe DILution")
    mixer.query("*OPC?")  # the dilution runs
    mixer.write(f'LOG:MARK "sensor at {ppm} ppm"')
    time.sleep(HOLD_S)
    print(ppm, "ppm asked:", mixer.query("MEASure:GASA:CONCentration?"), "delivered,", mixer.query("SYSTem:ERRor?"))
mixer.write("MIXer:STATe STANdby")
mixer.query("*OPC?")
