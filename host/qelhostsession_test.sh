#!/bin/sh
# qelhostsession_test.sh CASE QELHOST DIR: one behaviour of qelhost session, its output
# compared byte for byte; DIR is the test's own folder, made anew. Prints what is wrong
# and fails, or passes silently.
set -u
case=$1 qelhost=$2 dir=$3
rm -rf "$dir" && mkdir -p "$dir" || exit 1
export QEL_REGISTRY="$dir/registry"
tab=$(printf '\t')

# expect EXPECTED-STATUS EXPECTED-STDOUT EXPECTED-STDERR SCRIPT: runs the script given on
# standard input and compares both outputs and the exit status.
expect() {
  printf '%s\n' "$4" > "$dir/script"
  "$qelhost" session - < "$dir/script" > "$dir/out" 2> "$dir/err"
  status=$?
  printf '%s' "$2" > "$dir/expected-out"
  printf '%s' "$3" > "$dir/expected-err"
  if [ $status -ne "$1" ] || ! cmp -s "$dir/out" "$dir/expected-out" || ! cmp -s "$dir/err" "$dir/expected-err"; then
    printf 'FAIL: exit %s (expected %s)\n--- script\n%s\n--- out\n' "$status" "$1" "$4"
    cat "$dir/out"
    printf -- '--- expected out\n%s--- err\n' "$2"
    cat "$dir/err"
    printf -- '--- expected err\n%s' "$3"
    exit 1
  fi
}

case $case in
RunsTheCommandsAndPrintsTheirResultsAndOutputs)
  expect 0 "> start
> exec 70
result 0x00000000
> exec 71 \"i4:17\" -o 1
result 0x00000000
out 0 i4:0
> ${tab}exec 71 i4:0x12 -o 2
result 0x00000000
out 0 i4:0
out 1 empty
> exec 72 i4:5
result 0x00000000
> exec -g {692DBD81-4A3F-11D2-B2CD-00A02457BF0F} 3 u4:8 u4:2 bstrs:\"a,b\",c
result 0x00000000
> exec 999 bstr:\"x y\" bool:1 empty
result 0x80040104
> exec -g {F8BED052-F30D-11D1-B28B-00A02457BF0F} 205 -o 1
result 0x00000000
out 0 unknown
> exec -g {F8BED052-F30D-11D1-B28B-00A02457BF0F} 200 u4:8 -o 1
result 0x00000000
out 0 unknown
> exec -g {F8BED052-F30D-11D1-B28B-00A02457BF0F} 200 u4:9 -o 1
result 0x80040104
out 0 empty
> views
view StdQelWatchWin \"\"
  call AddWatchSymbol 17
  call AddWatchSymbol 18
  call DeleteWatch 5
> end
" '' '# the watch window and its commands

start
exec 70
exec 71 "i4:17" -o 1
	exec 71 i4:0x12 -o 2
exec 72 i4:5
exec -g {692DBD81-4A3F-11D2-B2CD-00A02457BF0F} 3 u4:8 u4:2 bstrs:"a,b",c
exec 999 bstr:"x y" bool:1 empty
exec -g {F8BED052-F30D-11D1-B28B-00A02457BF0F} 205 -o 1
exec -g {F8BED052-F30D-11D1-B28B-00A02457BF0F} 200 u4:8 -o 1
exec -g {F8BED052-F30D-11D1-B28B-00A02457BF0F} 200 u4:9 -o 1
views
end'
  ;;
StopsAtTheFirstFailedLineWithItsNumber)
  expect 1 '> start
> exec 70 bstr:"open
' 'error: line 2: a quote is not closed
' 'start
exec 70 bstr:"open
exec 70'
  expect 1 '> exec 70
' 'error: line 1: exec is out of order
' 'exec 70'
  expect 1 '> start
> start
' 'error: line 2: start is out of order
' 'start
start'
  expect 1 '> start
> workspace w.stg
' 'error: line 2: workspace is out of order
' 'start
workspace w.stg'
  expect 1 '> end
> views
' 'error: line 2: views is out of order
' 'end
views'
  expect 1 '> start
> exec 71 u4:-1 -o 1
' 'error: line 2: no 32-bit unsigned number: -1
' 'start
exec 71 u4:-1 -o 1'
  expect 1 '> start
> exec 71 i4:1 -o 65
' 'error: line 2: -o takes a count up to 64 and ends the line
' 'start
exec 71 i4:1 -o 65'
  expect 1 '> stop
' 'error: line 1: no command stop
' 'stop'
  expect 1 '> profile System VARED/BOOL bool:maybe
' 'error: line 1: no boolean: maybe
' 'profile System VARED/BOOL bool:maybe'
  ;;
AFailedSessionLeavesItsWorkspaceAsItWas)
  ws=$dir/project.stg
  # Written without the symbol server's storage, which a start makes.
  expect 0 "> workspace $ws
> end
" '' "workspace $ws
end"
  [ -f "$ws" ] || { echo "FAIL: no workspace written"; exit 1; }
  cp "$ws" "$dir/before.stg"
  expect 1 "> workspace $ws
> start
> exec 70
result 0x00000000
> exec 71 x
" 'error: line 4: no value: x
' "workspace $ws
start
exec 70
exec 71 x
exec 72 i4:1"
  cmp -s "$ws" "$dir/before.stg" || { echo "FAIL: the workspace changed"; exit 1; }
  expect 1 "> workspace $dir/new.stg
> start
> exec
" 'error: line 3: exec takes a command number
' "workspace $dir/new.stg
start
exec"
  [ ! -e "$dir/new.stg" ] || { echo "FAIL: a failed session wrote a new workspace"; exit 1; }
  printf 'no storage' > "$dir/text.stg"
  expect 1 "> workspace $dir/text.stg
" "error: line 1: $dir/text.stg is no workspace (0x80030050)
" "workspace $dir/text.stg"
  [ "$(cat "$dir/text.stg")" = "no storage" ] || { echo "FAIL: the file that is no workspace changed"; exit 1; }
  ;;
RefusesBadUsage)
  "$qelhost" session > /dev/null 2>&1; [ $? -eq 2 ] || { echo "FAIL: no script is not exit 2"; exit 1; }
  "$qelhost" session a b > /dev/null 2>&1; [ $? -eq 2 ] || { echo "FAIL: two scripts is not exit 2"; exit 1; }
  "$qelhost" session "$dir/missing" > /dev/null 2>&1; [ $? -eq 1 ] || { echo "FAIL: a missing script is not exit 1"; exit 1; }
  ;;
*)
  echo "no case $case"; exit 1 ;;
esac
