#!/bin/sh
# qelhostquery_test.sh CASE QELHOST PROGRAM WORKDIR: one behaviour of qelhost query on a
# firmware program, whose database goes to WORKDIR (made anew). Prints what is wrong
# and fails, or passes silently.
set -u
case=$1 qelhost=$2 program=$3 work=$4
rm -rf "$work" && mkdir -p "$work" || exit 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# One line per request code, in the form scripts write them, then what must be refused.
requests='0
1 ".data*"
2 1 0x80000
100
101 board.c
102 1 0x80000
103 1 0x80000 16
200
201 main
202 1 0x80648
203 main.c
301 main.c
302 1 0x80648
500 status_bits
501 0x40055
600 73
601 73
401 * *
402 1 0x80130 *
403 * "board.c"
404 1 0x80130 *
405 1 0x80130 count
406 "board_ticks (global)"
407 1 0x80130
408 1
409 1 0x80130 *
700 main
701 board_ticks
702 1 "" ""
703 1 0x8064c
704 1 "'"'"'main {main.c} .8+'"'"';main.c;1;0;0x4;"
800
900
4000 1 0x8064c
  # a comment, and a blank line

1 "no such section"
999
2 1
201 "main'
expected='0:records 1:records 2:records 100:records 101:records 102:records 103:records 200:records 201:records 202:records 203:records 301:records 302:records 500:records 501:records 600:records 601:none 401:records 402:records 403:records 404:records 405:records 406:records 407:records 408:records 409:records 700:records 701:records 702:records 703:records 704:records 800:records 900:none 4000:records 1:none bad bad bad'

# query ARGS...: runs qelhost query on the program with `requests` as standard input;
# its output in $work/out, its exit status in $status.
query() {
  printf '%s\n' "$requests" | "$qelhost" query "$program" --dbdir "$work/db" "$@" >"$work/out" 2>"$work/err"
  status=$?
}

# The answers of $work/out, one word each (CODE:records, CODE:none, CODE:error, bad),
# after checking the form of every line: a record has its kind's fields (n a number
# 0x%X, t a text), the other lines the fields of their kind; with timed=1 each answer is
# followed by its #time line.
answers() {
  awk -F '\t' -v timed="${1:-0}" '
    BEGIN { split("0 nnnnnt 100 tntnnnnn 200 tnnnnnnn 300 nnnnn 400 tnntnnnntnnn 500 tnntnnnn 600 nnnnnn " \
                  "700 tnnnn 800 tnn 900 nn 4000 tntnnnnntnnnnn", a, " ")
            for (i = 1; i < 22; i += 2) kinds[a[i]] = a[i + 1] }
    function bad(why) { print "line " NR " (" why "): " $0 > "/dev/stderr"; wrong = 1 }
    function answer(word, code) {
      if (word != last || !lastopen) { if (timed && lastopen) bad("no #time"); summary = summary " " word }
      last = word; lastopen = (code != "")
    }
    /^[0-9]/ { k = kinds[int($1 / 100) * 100]
               if (NF != length(k) + 1) bad("fields")
               for (i = 1; i <= length(k); i++) if (substr(k, i, 1) == "n" && $(i + 1) !~ /^0x[0-9A-F]+$/) bad("number " i)
               answer($1 ":records", $1); next }
    /^#none\t/  { if (NF != 2 || $2 !~ /^[0-9]+$/) bad("#none"); answer($2 ":none", $2); next }
    /^#error\t/ { if (NF != 4 || $2 !~ /^[0-9]+$/ || $3 !~ /^-?[0-9]+$/ || $4 == "") bad("#error"); answer($2 ":error", $2); next }
    /^#bad\t/   { if (NF != 3 || $3 == "") bad("#bad"); answer("bad", ""); next }
    /^#time\t/  { if (!timed || NF != 3 || last !~ "^" $2 ":" || $3 !~ /^[0-9]+$/) bad("#time"); lastopen = 0; last = ""; next }
    { bad("form") }
    END { if (timed && lastopen) bad("no #time at the end"); print substr(summary, 2); exit wrong }' "$work/out"
}

case $case in
AnswersEveryCodeInItsForm)
  # Every code answered in its form, in order, each timed, after every module has been
  # read first; and one request on the command line.
  query --time --modules
  [ $status -eq 0 ] || fail "exit $status"
  summary=$(answers 1) || fail "malformed lines"
  echo "$summary" | grep -Eqx "$expected" || fail "answers: $summary"
  "$qelhost" query "$program" --dbdir "$work/db" 201 '"main"' >"$work/out" 2>"$work/err" || fail "command line: exit $?"
  [ "$(answers)" = "201:records" ] && grep -q '^201	main	0x1	0x80648	0x0	0xB4	' "$work/out" || fail "command line: $(cat "$work/out")"
  ;;
AnswersAlikeByWindowEventAndSynchronousRequest)
  # The server's notice by window, by event and the synchronous answer give the same
  # records.
  query && cp "$work/out" "$work/window"
  for mode in --event --sync; do
    query $mode
    [ $status -eq 0 ] && cmp -s "$work/out" "$work/window" || fail "$mode differs: $(diff "$work/window" "$work/out" | head -5)"
  done
  ;;
WithoutAProgramAnswersOnlyTheSectionRequests)
  # "-" loads nothing: the section, breakpoint and location requests are answered, the
  # others fail at once as needing a program, whichever way the server tells of finished
  # requests.
  for mode in "" --event --sync; do
    printf '0\n100\n301 main.c\n703 1 0x80000\n704 1 0x80004\n4000 1 0x80000\n' |
      "$qelhost" query - $mode >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq 0 ] && [ "$(answers)" = "0:none 100:error 301:error 703:records 704:records 4000:records" ] &&
      grep -q '^704	0x80004	0x1	0x80004	' "$work/out" && grep -q '^#error	100	6	' "$work/out" ||
      fail "- $mode: exit $status: $(cat "$work/out")"
  done
  ;;
EndsWith1AfterAFailedLoadAnd2ForBadUsage)
  # A load that fails says why and ends with 1; arguments it does not take end with 2.
  "$qelhost" query "$work/none.elf" 0 >"$work/out" 2>"$work/err"
  status=$?
  [ $status -eq 1 ] && grep -Eqx '#error	2000	4	[^	]+none\.elf[^	]*' "$work/out" || fail "failed load: exit $status: $(cat "$work/out")"
  for usage in "--event --sync" "--dbdir" "--rows Sections"; do
    "$qelhost" query "$program" $usage >/dev/null 2>&1 </dev/null
    status=$?
    [ $status -eq 2 ] || fail "$usage: exit $status"
  done
  ;;
*)
  fail "no case $case"
  ;;
esac
rm -rf "$work"
exit $failed
