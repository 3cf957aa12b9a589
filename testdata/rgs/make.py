#!/usr/bin/env python3
# Writes Korvex's registry scripts (Korvex/symserver/symserverscripts.cpp), one to a file
# named for the script, as seeds for the registry script reader's fuzz target.
import pathlib
import re

here = pathlib.Path(__file__).resolve().parent
source = (here / "../../Korvex/symserver/symserverscripts.cpp").read_text()
for old in here.glob("*.rgs"):
    old.unlink()
for name, script in re.findall(r'const char k(\w+)Script\[\] = R"\((.*?)\)";', source, re.S):
    (here / f"{name}.rgs").write_text(script)
