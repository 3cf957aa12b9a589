#!/bin/sh
# Writes watch-O0-locals-printx.txt: for each -O0 core of make-frames.py, gdb-multiarch's
# print/x of every parameter and local that its .gdb.txt names (info args, info locals),
# and its whatis, as CORE<TAB>NAME<TAB>ANSWER<TAB>TYPE, ANSWER without "$N = " and TYPE
# without "type = ". The qelhost session test checks the locals view's hexadecimal values
# against it. Run from testdata/elf:
#   gdb-multiarch -batch -nx watch-O0.elf CORE -ex 'print/x NAME' ... -ex 'whatis NAME' ...
set -eu
out=watch-O0-locals-printx.txt
: > "$out"
for core in watch-O0-frame1.core watch-O0-frame2.core watch-O0-thumb1.core; do
  names=$(sed -n 's/^\([a-z_][a-z_0-9]*\) = .*/\1/p' "$core.gdb.txt")
  set --
  for name in $names; do set -- "$@" -ex "print/x $name"; done
  for name in $names; do set -- "$@" -ex "whatis $name"; done
  gdb-multiarch -batch -nx watch-O0.elf "$core" "$@" 2>/dev/null > "$out.answers"
  sed -n 's/^\$[0-9]* = //p' "$out.answers" > "$out.values"
  sed -n 's/^type = //p' "$out.answers" > "$out.types"
  printf '%s\n' $names | paste - "$out.values" "$out.types" | sed "s/^/$core\t/" >> "$out"
done
rm -f "$out.answers" "$out.values" "$out.types"
