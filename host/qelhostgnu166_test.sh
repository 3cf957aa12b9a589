#!/bin/sh
# qelhostgnu166_test.sh QELHOST SAMPLES WORKDIR PROGRAM
# Loads testdata/gnu166/PROGRAM.a166 through qelhost as the debugger does and holds what
# it gives against PROGRAM.expect, which make-gnu166.py wrote from the program's
# description:
# - a program that loads: after reading every module, each table's rows are those of the
#   .expect; every table is read by a load of its own, so all but the first reuse the
#   database, and a row written twice would show;
# - a program that is refused or damaged: the load answers the .expect's status line
#   (FILE standing for the path), ends with 1 and leaves no symbol database behind.
set -u
qelhost=$1 samples=$2 work=$3 program=$4
rm -rf "$work"
mkdir -p "$work"
cp "$samples/$program.a166" "$work/"
file=$work/$program.a166
expect=$samples/$program.expect
failed=0

if head -n 1 "$expect" | grep -q '^status'; then
  "$qelhost" load "$file" --rows Sections --dbdir "$work/db" >"$work/out" 2>/dev/null
  code=$?
  sed "s|FILE|$file|" "$expect" >"$work/want"
  if ! cmp -s "$work/out" "$work/want"; then
    echo "FAIL: the load of $program answers"; cat "$work/out"; echo "instead of"; cat "$work/want"
    failed=1
  fi
  [ "$code" -eq 1 ] || { echo "FAIL: the load of $program ends with $code, not 1"; failed=1; }
  if [ -n "$(find "$work" -name '*.mdb')" ]; then
    echo "FAIL: the failed load of $program leaves a database"; failed=1
  fi
  exit $failed
fi

for table in $(sed -n 's/^== //p' "$expect"); do
  "$qelhost" load "$file" --modules --rows "$table" --dbdir "$work/db" >"$work/$table.out" 2>"$work/$table.err"
  awk -v t="$table" '/^== /{p=($2==t);next} p' "$expect" >"$work/$table.want"
  if ! cmp -s "$work/$table.out" "$work/$table.want"; then
    echo "FAIL: $program, table $table:"; diff "$work/$table.out" "$work/$table.want" | head -40
    cat "$work/$table.err"
    failed=1
  fi
done
exit $failed
