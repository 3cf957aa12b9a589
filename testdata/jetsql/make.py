#!/usr/bin/env python3
# Writes the stored queries of the symbol database (Korvex/symdb/symdbstrings.cpp), one
# Jet SQL text to a file named for the query, as seeds for the Jet SQL translation's fuzz
# target.
import pathlib
import re

here = pathlib.Path(__file__).resolve().parent
source = (here / "../../Korvex/symdb/symdbstrings.cpp").read_text()
for old in here.glob("*.sql"):
    old.unlink()
# An entry is {number, "text" "text" ...}: the adjacent literals make one text. A query's
# text follows the entry of its name.
texts = {}
for number, literals in re.findall(r'\{(\d+),((?:\s*"(?:[^"\\]|\\.)*")+)\}', source):
    texts[int(number)] = "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', literals)).encode().decode("unicode_escape")
for number, text in texts.items():
    if text.startswith(("PARAMETERS", "SELECT")):
        (here / (texts[number - 1].lstrip("$") + ".sql")).write_text(text)
