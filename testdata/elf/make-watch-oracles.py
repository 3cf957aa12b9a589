#!/usr/bin/env python3
"""gdb's answers about the watch programs, the oracles of the evaluator and of the value
display (make-watch.sh runs this).

  make-watch-oracles.py eval CONTEXT...    prints CONTEXT<TAB>EXPR<TAB>ANSWER lines
  make-watch-oracles.py format ELF...      prints CONTEXT<TAB>PATH<TAB>FORMAT<TAB>ANSWER lines

A CONTEXT is a program (watch-O0.elf: its globals from the file's image, no frame) or a
core made by make-frames.py (watch-O0-frame1.core: the program is the name up to
"-frame" or "-thumb", the stop's registers, stack and RAM from the core). ANSWER is what
gdb-multiarch's print gives, without its "$N = ", as it stands.

eval: the expressions of watch-eval.expr, each checked against gdb's C: a program takes
the lines before the first heading, a core those under the headings "@ FUNCTION" and
"@ FUNCTION PREFIX" of the function it stopped in, the latter when the core's name starts
with PREFIX; a program named PREFIX... that has lines under "@ - PREFIX" takes those instead
of the first ones. They keep to what the evaluator and C agree on: no octal, no escapes, no
enumerator or function names, no division by zero, no 64-bit integer operand, no sizeof,
no cast that narrows a value, no constant above 0x7FFFFFFF, no negative value of a type
narrower than int in / % >> or a comparison, no pointer arithmetic (C scales it by the
pointed-to size, the evaluator does not), no value of an enumeration, structure, union or
array (the evaluator gives none), no signed bit-field of width 1 (the evaluator reads its
bit as 1), no shared_name outside a frame (two statics have the name; gdb takes
watch2.c's). An expression with the guard "EXPR ?? GUARD" is asked only where gdb finds
GUARD non-zero (no dereference of a null pointer). An expression that gdb refuses (at -O1,
arithmetic on a value it has optimized out) is left out with a note on standard error.

format: every global of both modules, its members and elements, recursively, and the
objects its pointers point at (one dereference deep, none of a null pointer), each with
print/d, print/x, print/c, print, print &PATH and whatis (FORMAT d, x, c, value, addr,
type). Left out: the two statics named shared_name (without a frame gdb's plain name finds
watch2.c's for both), the statics of functions (eval asks them in the stops) and a
bit-field's addr (C gives a bit-field no address; gdb answers the start of a storage word).
"""
import json
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

# Runs inside gdb: the commands of $ORACLE_IN, each answer (or its error) into $ORACLE_OUT.
# "walk ROOTS" answers the paths below the roots instead, with their kinds.
DRIVER = r'''
import gdb, json, os

def walk(path, deep, paths):
    value = gdb.parse_and_eval(path)
    kind = value.type.strip_typedefs()
    paths.append([path, "aggregate" if kind.code in (gdb.TYPE_CODE_STRUCT, gdb.TYPE_CODE_UNION,
                                                     gdb.TYPE_CODE_ARRAY) else "scalar"])
    if kind.code in (gdb.TYPE_CODE_STRUCT, gdb.TYPE_CODE_UNION):
        for f in kind.fields():
            child = path + "." + f.name
            if f.bitsize:
                paths.append([child, "bitfield"])
            else:
                walk(child, deep, paths)
    elif kind.code == gdb.TYPE_CODE_ARRAY:
        low, high = kind.range()
        for i in range(low, high + 1):
            walk("%s[%d]" % (path, i), deep, paths)
    elif kind.code == gdb.TYPE_CODE_PTR and not deep and int(value) != 0:
        target = kind.target().strip_typedefs()
        if target.code in (gdb.TYPE_CODE_STRUCT, gdb.TYPE_CODE_UNION):
            paths.append(["*" + path, "aggregate"])
            for f in target.fields():
                child = path + "->" + f.name
                if f.bitsize:
                    paths.append([child, "bitfield"])
                else:
                    walk(child, True, paths)
        elif target.code not in (gdb.TYPE_CODE_FUNC, gdb.TYPE_CODE_VOID):
            walk("*" + path, True, paths)

gdb.execute("set width unlimited")
gdb.execute("set height unlimited")
answers = []
for command in json.load(open(os.environ["ORACLE_IN"])):
    try:
        if command.startswith("walk "):
            paths = []
            for root in command.split()[1:]:
                walk(root, False, paths)
            answers.append(paths)
        elif command == "function":
            answers.append(gdb.selected_frame().name())
        else:
            answers.append(gdb.execute(command, to_string=True))
    except gdb.error as e:
        answers.append({"error": str(e)})
json.dump(answers, open(os.environ["ORACLE_OUT"], "w"))
'''


def program_of(context):
    """watch-O0-frame1.core -> watch-O0.elf; a program stands for itself."""
    if context.endswith(".elf"):
        return context, None
    return re.sub(r"-(frame|thumb)\d+\.core$", ".elf", context), context


def ask(context, commands):
    """gdb's answers to commands in context, in order: text, a walk's list, or {"error"}."""
    elf, core = program_of(context)
    with tempfile.TemporaryDirectory() as tmp:
        driver, inp, out = (os.path.join(tmp, n) for n in ("driver.py", "in.json", "out.json"))
        open(driver, "w").write(DRIVER)
        json.dump(commands, open(inp, "w"))
        args = ["gdb-multiarch", "-batch", "-nx", os.path.join(HERE, elf)]
        if core:
            args += ["-ex", "set osabi GNU/Linux", "-ex", "core-file " + os.path.join(HERE, core)]
        args += ["-x", driver]
        run = subprocess.run(args, capture_output=True, text=True, cwd=HERE,
                             env=dict(os.environ, ORACLE_IN=inp, ORACLE_OUT=out))
        if not os.path.exists(out):
            sys.exit("gdb failed on %s:\n%s" % (context, run.stderr))
        return json.load(open(out))


def printed(answer):
    """print's text without "$N = " and the line end; None for an error."""
    if isinstance(answer, dict):
        return None
    return re.sub(r"^\$\d+ = ", "", answer.rstrip("\n")).replace("\n", " ")


def expressions():
    """(function or None, context prefix, expression, guard or None) of watch-eval.expr."""
    function, prefix = None, ""
    for line in open(os.path.join(HERE, "watch-eval.expr")):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("@ "):
            function, _, prefix = line[2:].strip().partition(" ")
            continue
        expr, _, guard = (part.strip() for part in line.partition("??"))
        yield function, prefix, expr, guard or None


def evaluate(context):
    function = None
    if context.endswith(".core"):
        function = ask(context, ["function"])[0]
    every = list(expressions())
    # A program that has lines of its own under "@ - PREFIX" takes only those.
    if function is None and any(f == "-" and context.startswith(p) for f, p, _, _ in every):
        function = "-"
    chosen = [(e, g) for f, p, e, g in every if f == function and context.startswith(p)]
    guards = sorted({g for _, g in chosen if g})
    answers = ask(context, ["print (int)(%s)" % g for g in guards] + ["print " + e for e, _ in chosen])
    held = {g for g, a in zip(guards, answers) if printed(a) not in (None, "0")}
    for (expr, guard), answer in zip(chosen, answers[len(guards):]):
        if guard and guard not in held:
            continue
        text = printed(answer)
        if text is None:
            print("%s: %s: %s" % (context, expr, answer["error"]), file=sys.stderr)
            continue
        print("%s\t%s\t%s" % (context, expr, text))


def globals_of(elf):
    """The names of the globals with debug information, in gdb's order."""
    names = []
    for line in ask(elf, ["info variables"])[0].split("Non-debugging symbols:")[0].splitlines():
        m = re.match(r"\d+:\s.*?(\w+)(\[\d+\])*;$", line)
        if m and m.group(1) != "shared_name":
            names.append(m.group(1))
    return names


FORMATS = [("d", "print/d %s"), ("x", "print/x %s"), ("c", "print/c %s"), ("value", "print %s"),
           ("addr", "print &%s"), ("type", "whatis %s")]


def formats(elf):
    paths = ask(elf, ["walk " + " ".join(globals_of(elf))])[0]
    asked = [(path, name, command % path) for path, kind in paths for name, command in FORMATS
             if not (name == "addr" and kind == "bitfield")]
    answers = ask(elf, [command for _, _, command in asked])
    for (path, name, command), answer in zip(asked, answers):
        text = printed(answer)
        if text is None:
            print("%s: %s: %s" % (elf, command, answer["error"]), file=sys.stderr)
            continue
        if name == "type":
            text = re.sub(r"^type = ", "", text)
        print("%s\t%s\t%s\t%s" % (elf, path, name, text))


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("eval", "format"):
        sys.exit(__doc__)
    for context in sys.argv[2:]:
        (evaluate if sys.argv[1] == "eval" else formats)(context)
