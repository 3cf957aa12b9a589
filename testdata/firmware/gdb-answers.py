# Run inside gdb (gdb-multiarch -batch -nx -x gdb-answers.py PROGRAM): asks gdb each command
# of the file $QEL_GDB_QUERIES and writes to $QEL_GDB_ANSWERS, for each, a line
# "### COMMAND", then what gdb printed, or "error: MESSAGE" when the command failed. A command
# file given to gdb itself would stop at its first failing command. gdb writes its warnings
# into the middle of an answer's line, so they are taken out of it and follow it instead, one
# a line ("warning: ..."), each once.
import os
import re

import gdb

WARNING = re.compile(r"warning: [^\n]*\n")

for setting in ("pagination off", "width 0", "confirm off", "print demangle on"):
    gdb.execute("set " + setting)
with open(os.environ["QEL_GDB_QUERIES"]) as queries, open(os.environ["QEL_GDB_ANSWERS"], "w") as answers:
    for command in queries.read().splitlines():
        try:
            text = gdb.execute(command, to_string=True)
        except gdb.error as error:
            text = "error: %s" % error
        warnings = list(dict.fromkeys(WARNING.findall(text)))
        text = WARNING.sub("", text)
        if text and not text.endswith("\n"):
            text += "\n"
        answers.write("### %s\n%s%s" % (command, text, "".join(warnings)))
