#!/bin/sh
# qelhosttwin_test.sh QELHOST ORIGINAL TWIN DIFFERENCES WORKDIR: asks qelhost query the
# same questions of a gcc-built program and of its DWARF 1.1 twin (make-dwarf1.py --twin)
# and compares the answers. Type indexes, symbol indexes and lifetime-list numbers name
# rows of each database and are left out of the comparison; whatever else differs must be
# exactly the lines of DIFFERENCES (each difference there says why). Prints what is wrong
# and fails, or passes silently.
set -u
qelhost=$1 original=$2 twin=$3 differences=$4 work=$5
rm -rf "$work" && mkdir -p "$work" || exit 1

# Names and addresses of the program of src/ (testdata/firmware/README.md).
requests='0
1 ".text*"
2 1 0x80000
2 1 0x80648
100
101 board.c
101 board.h
102 1 0x80130
103 1 0x80000 16
200
201 main
201 board_poll
201 clamp_level
202 1 0x80648
202 1 0x80540
203 main.c
203 board.h
301 main.c
301 board.h
302 1 0x80648
302 1 0x8009C
500 status_bits
500 status_t
500 sensor_config
500 Motor
500 handler_fn
500 int32_t
500 uint32_t
500 sample_word
401 * *
402 1 0x80130 *
403 * "board.c"
403 * "control.c"
404 1 0x80130 *
404 1 0x80400 *
405 1 0x80130 count
405 1 0x80400 level
406 "board_ticks (global)"
406 "calls [board.c]:{board_poll}"
407 1 0x80130
407 1 0x80400
407 1 0x80540
408 1
408 4
409 1 0x80130 *
409 1 0x80540 *
700 main
700 board_poll
701 board_ticks
701 grid
702 1 "" ""
703 1 0x8064c
703 1 0x80130
704 1 "'"'"'main {main.c} .8+'"'"';main.c;1;0;0x4;"
800
900
4000 1 0x8064c
4000 1 0x80130'

# ask PROGRAM NAME: both rounds of questions; the second asks about the types and the
# lifetime lists that the first named, by this database's own numbers.
ask() {
  printf '%s\n' "$requests" | "$qelhost" query "$1" --dbdir "$work/db" >"$work/$2.1" 2>"$work/$2.err" ||
    echo "FAIL: $2: exit $?"
  awk -F'\t' '$1 == 500 { print "501 " $4 } ($1 == 405 || $1 == 409) && $11 == "0x5" { print "600 " $9; print "601 " $9 }' \
    "$work/$2.1" >"$work/$2.requests"
  "$qelhost" query "$1" --dbdir "$work/db" <"$work/$2.requests" >"$work/$2.2" 2>>"$work/$2.err" ||
    echo "FAIL: $2: second round: exit $?"
  # The fields that number rows: a function's return type; a type's and a member's
  # index; a variable's type, row and lifetime list.
  cat "$work/$2.1" "$work/$2.2" | awk -F'\t' 'BEGIN { OFS = "\t" }
    $1 >= 200 && $1 <= 203 { $7 = "#" }
    $1 == 500 || $1 == 501 { $4 = "#" }
    $1 >= 401 && $1 <= 409 { $4 = "#"; $9 = "#"; if ($11 == "0x5") $12 = "#" }
    { print }' >"$work/$2"
}
ask "$original" original
ask "$twin" twin
diff "$work/original" "$work/twin" | grep '^[<>]' >"$work/differences"
grep -v '^#' "$differences" | grep -v '^$' >"$work/expected"
if ! cmp -s "$work/differences" "$work/expected"; then
  echo "FAIL: the answers differ otherwise than $differences says:"
  diff "$work/expected" "$work/differences"
  exit 1
fi
grep -q '^500	status_bits' "$work/original" || { echo "FAIL: no answers"; exit 1; }
exit 0
