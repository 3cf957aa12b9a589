#!/bin/sh
# qelhostshared_test.sh QELHOST PROGRAM WORKDIR: a program of two modules whose code lies
# in one section (testdata/*/shared-code.*: a.c with lines 10 and 11 at 0x1000 and 0x1004
# in fa, b.c with lines 20 and 21 at 0x1040 and 0x1048 in fb, each function with a
# parameter, a local in a block from its fifth byte and a static). Every request at an
# address of b.c answers, with the modules read on demand, what it answers with every
# module read first, and the line is b.c's. Prints what is wrong and fails, or passes
# silently.
set -u
qelhost=$1 program=$2 work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }

requests='302 1 0x1048
102 1 0x1048
103 1 0x1040 16
202 1 0x1048
4000 1 0x1048
402 1 0x1048 *
404 1 0x1048 *
405 1 0x1048 lb
407 1 0x1048
409 1 0x1048 *
703 1 0x1048
302 1 0x1004'

# ask NAME ARGS...: each request in a session of its own on a fresh database, so that
# none reads a module for the next one.
ask() {
  name=$1; shift
  : >"$work/$name"
  n=0
  printf '%s\n' "$requests" | while read -r line; do
    n=$((n + 1))
    printf '%s\n' "$line" |
      "$qelhost" query "$program" --dbdir "$work/db-$name-$n" "$@" 2>/dev/null >>"$work/$name" ||
      echo "exit $? on $line" >>"$work/$name"
  done
}
ask demand
ask read --modules
# Symbols are numbered in the order their modules were read: the variables' index field
# (the ninth) is left out of the comparison.
for name in read demand; do
  awk -F '\t' -v OFS='\t' '$1 ~ /^40[0-9]$/ {$9 = "#"} {print}' "$work/$name" >"$work/$name.cmp"
done
diff -u "$work/read.cmp" "$work/demand.cmp" >"$work/diff" ||
  fail "on demand differs from every module read: $(cat "$work/diff")"

# The answers that the records give: b.c's line 21 runs from 0x1048 to fb's end.
want() {
  grep -qxF "$1" "$work/demand" || fail "no line '$1' in: $(cat "$work/demand")"
}
want "$(printf '302\t0x15\t0x1\t0x1048\t0x0\t0x8')"
want "$(printf '302\t0xB\t0x1\t0x1004\t0x0\t0xC')"
grep -q "^102	b\.c	" "$work/demand" || fail "102 names no b.c"
grep -q "^4000	.*b\.c" "$work/demand" || fail "4000 names no b.c"
grep -q "^4000	.*a\.c" "$work/demand" && fail "4000 names a.c"
grep -q "^202	fb	" "$work/demand" || fail "202 names no fb"
grep -q "^405	lb	" "$work/demand" || fail "405 finds no lb"
grep -q "^703	'fb {[^}]*b\.c} \.21+';\(B\|b\.c\);1;1;0x0;	0x1	0x1048	" "$work/demand" ||
  fail "703 names no fb in b.c of its module: $(grep '^703' "$work/demand")"
exit $failed
