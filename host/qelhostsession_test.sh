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
# standard input (under $timed, when a case sets it) and compares both outputs and the
# exit status.
timed=
expect() {
  printf '%s\n' "$4" > "$dir/script"
  $timed "$qelhost" session - < "$dir/script" > "$dir/out" 2> "$dir/err"
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

# hex_alone: testdata/ihex/arm-flash.hex copied alone into the test's folder, and `block
# START SIZE`, the line of a host block that holds arm-flash.bin's bytes at START, the
# image's lowest address being images.txt's.
hex_alone() {
  data=$(cd "$(dirname "$0")/../testdata/ihex" && pwd)
  cp "$data/arm-flash.hex" "$dir/arm-flash.hex" || exit 1
  base=$(awk '$1 == "arm-flash" { print $2 }' "$data/images.txt")
}
block() {
  printf 'block 0x%s %s %s' "$1" "$2" \
    "$(od -An -v -tx1 -j $((0x$1 - 0x$base)) -N "$2" "$data/arm-flash.bin" | tr -d ' \n')"
}

case $case in
RunsTheCommandsAndPrintsTheirResultsAndOutputs)
  # (The watch window is the host's double here, which tells what it was called with.)
  expect 0 "> double StdQelWatchWin
> start
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

double StdQelWatchWin
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
AnswersTheCompanionElfDialogOfAHexLoad)
  # With AUTOLOADELF a HEX file without its ELF file beside it asks for that file: the
  # answer loads the ELF file's sections under the HEX file's name, a cancel the HEX image,
  # whose blocks the host takes as arm-flash.bin holds them from images.txt's address.
  hex_alone
  # The answer's ELF file stands in a folder of the test's own: its database is made beside it.
  mkdir "$dir/elf" && cp "$data/arm-flash.elf" "$dir/elf/" || exit 1
  shown="file${tab}Open corresponding ELF file
${tab}filter${tab}Binary target files (*.out;*.elf)|*.out;*.elf|Intel hex files (*.hex;*.h66;*.h86)|*.hex;*.h66;*.h86|All target files (*.out;*.elf;*.hex)|*.out;*.elf;*.hex|All files (*.*)|*.*|
${tab}index${tab}0
${tab}folder${tab}$dir/
${tab}file${tab}$dir/arm-flash.elf
${tab}flags${tab}OFN_HIDEREADONLY OFN_EXPLORER"
  expect 0 "> profile System AUTOLOADELF/BOOL bool:true
> start
> answer file $dir/elf/arm-flash.elf
> request-load $dir/arm-flash.hex
load $dir/arm-flash.hex 0 0
0${tab}0x1${tab}0x1${tab}0x800FF80${tab}0x0${tab}0xD4${tab}.text@0
0${tab}0x2${tab}0x1${tab}0x8010054${tab}0x0${tab}0xC0${tab}.rodata@1
0${tab}0x3${tab}0x1${tab}0x20000000${tab}0x0${tab}0x20${tab}.data@2
> dialogs
$shown
${tab}answer${tab}$dir/elf/arm-flash.elf
> answer file cancel
> request-load $dir/arm-flash.hex 2
load $dir/arm-flash.hex 2 0
0${tab}0x1${tab}0x1${tab}0x800FF80${tab}0x0${tab}0x194${tab}<arm-flash.hex>  (800FF80h - 8010113h)
0${tab}0x1${tab}0x1${tab}0x8010240${tab}0x0${tab}0x20${tab}<arm-flash.hex>  (8010240h - 801025Fh)
$(block 0800FF80 404)
$(block 08010240 32)
> dialogs
$shown
${tab}answer${tab}cancel
> end
" '' "profile System AUTOLOADELF/BOOL bool:true
start
answer file $dir/elf/arm-flash.elf
request-load $dir/arm-flash.hex
dialogs
answer file cancel
request-load $dir/arm-flash.hex 2
dialogs
end"
  [ -f "$dir/elf/arm-flash.mdb" ] || { echo "FAIL: no database beside the ELF file that the dialog named"; exit 1; }
  ;;
AnswersDialogsInOrderAndFailsOnTheUnanswered)
  # What opens without its answer is cancelled and fails the session, naming both; so do
  # answers that nothing took.
  hex_alone
  expect 1 "> profile System AUTOLOADELF/BOOL bool:true
> start
> answer msgbox ok
> request-load $dir/arm-flash.hex
load $dir/arm-flash.hex 0 0
0${tab}0x1${tab}0x1${tab}0x800FF80${tab}0x0${tab}0x194${tab}<arm-flash.hex>  (800FF80h - 8010113h)
0${tab}0x1${tab}0x1${tab}0x8010240${tab}0x0${tab}0x20${tab}<arm-flash.hex>  (8010240h - 801025Fh)
$(block 0800FF80 404)
$(block 08010240 32)
" 'error: line 4: file dialog "Open corresponding ELF file" opened, but the next answer is msgbox ok
' "profile System AUTOLOADELF/BOOL bool:true
start
answer msgbox ok
request-load $dir/arm-flash.hex
end"
  expect 1 "> answer folder /tmp
> answer 215 text:247=\"a b\" check:1=1 ok
> end
" 'error: line 3: 2 answers were not taken
' 'answer folder /tmp
answer 215 text:247="a b" check:1=1 ok
end'
  expect 1 "> answer 215 push:1 ok
" 'error: line 1: not an action: push:1
' 'answer 215 push:1 ok'
  # A property put names the item, the property and a number.
  expect 1 "> answer 292 prop:1045=4:50 prop:1045=5:200 ok
> answer 292 prop:1045=4 ok
" 'error: line 2: not an action: prop:1045=4
' 'answer 292 prop:1045=4:50 prop:1045=5:200 ok
answer 292 prop:1045=4 ok'
  ;;
WorksTheSymbolServersDialogs)
  # The position dialog stays open for a text that does not evaluate, takes the labels of
  # the host's double of the browser, and keeps its history in the workspace for the next session; the images
  # dialog shows its rows and gives back the checks clicked; the questions answer with
  # their buttons.
  expect 0 "> workspace $dir/w.stg
> double QelSymbolBrowser
> start
> answer 226 text:247=nonsense ok
> answer 226 text:247=0x10+2 ok
> dialog pos
pos ok 0x00000012
> answer 226 click:243 expect:247=0xA0000010 click:243 expect:247=&main drop:247=0x1234567890123456789012345678901234567890 expect:247=0x123456789012345678901234567890 cancel
> answer browser .L1 0xA0000010
> answer browser main 0x68
> dialog pos
pos cancel -
> answer 220 expect:233=\"a.elf {/w/new/a.elf}\" row:234=0:state row:234=1:state:double row:234=1 ok
> dialog images /w/new/a.elf /p/b.elf c.elf
images ok 0 0
> answer 215 expect:207=/p/a.elf ok
> dialog load /p/a.elf
load ok
> answer 213 cancel
> dialog reload /p/a.elf
reload cancel
> answer 219 text:227=a+b ok
> dialog note
note ok a+b
> end
" "" "workspace $dir/w.stg
double QelSymbolBrowser
start
answer 226 text:247=nonsense ok
answer 226 text:247=0x10+2 ok
dialog pos
answer 226 click:243 expect:247=0xA0000010 click:243 expect:247=&main drop:247=0x1234567890123456789012345678901234567890 expect:247=0x123456789012345678901234567890 cancel
answer browser .L1 0xA0000010
answer browser main 0x68
dialog pos
answer 220 expect:233=\"a.elf {/w/new/a.elf}\" row:234=0:state row:234=1:state:double row:234=1 ok
dialog images /w/new/a.elf /p/b.elf c.elf
answer 215 expect:207=/p/a.elf ok
dialog load /p/a.elf
answer 213 cancel
dialog reload /p/a.elf
answer 219 text:227=a+b ok
dialog note
end"
  expect 0 "> workspace $dir/w.stg
> start
> answer 226 expect:247=0x10+2 pick:247=1 expect:247=nonsense pick:247=0 ok
> dialog pos
pos ok 0x00000012
> end
" "" "workspace $dir/w.stg
start
answer 226 expect:247=0x10+2 pick:247=1 expect:247=nonsense pick:247=0 ok
dialog pos
end"
  ;;
ShowsTheProgressOfALoad)
  # The progress window of a load registers with the host, fills both bars and closes
  # itself, being the active window, once the load is done. After a load that failed it
  # stays open, and the command ends at once: the session would not end within its
  # limit if it waited for the window.
  cp "$(dirname "$0")/../testdata/elf/arm7-mixed.elf" "$dir/arm7-mixed.elf" || exit 1
  timed="timeout 30"
  expect 0 "> start
> dialog download $dir/arm7-mixed.elf
download 0 closed
bytes 100% 408 of 1015
analysis 100%
> dialog download $dir/missing.elf
download 5 open
bytes 0% 0 of 0
analysis 0%
> end
" "" "start
dialog download $dir/arm7-mixed.elf
dialog download $dir/missing.elf
end"
  ;;
FailsAnswersWhoseCommandsNestTooDeep)
  # Each answer's command opens the next dialog inside the one before; the seventeenth
  # would run inside sixteen, and fails the session instead of exhausting its stack.
  # Each dialog then ends cancelled, and each command around the one refused fails.
  script=start out='> start
'
  for level in $(seq 17); do
    script="$script
answer 226 \"cmd:dialog pos\" cancel"
    out="$out> answer 226 \"cmd:dialog pos\" cancel
"
  done
  script="$script
dialog pos
end"
  for level in $(seq 17); do out="$out> dialog pos
"; done
  out="${out}pos cancel -
failed cmd:dialog pos: commands of answers nest 16 deep at most
"
  for level in $(seq 15); do out="${out}pos cancel -
failed cmd:dialog pos: the command failed
"; done
  expect 1 "${out}pos cancel -
" 'error: line 19: cmd:dialog pos: the command failed
' "$script"
  ;;
LoadsThroughTheMenuAndOffersTheProgramNextTime)
  # The menu's load asks for the file, shows its progress and tells the host the program's
  # entry and main; the workspace keeps the file and the filter, and the next start offers the
  # program, unless the user set the program from the workspace to be ignored. Command 5
  # hides the progress window the user does not work in; without input it also cancels the
  # question whether to load the workspace's program.
  cp "$(dirname "$0")/../testdata/elf/arm7-mixed.elf" "$dir/a.elf" || exit 1
  expect 0 "> workspace $dir/w.stg
> start
> answer file $dir/a.elf index:2
> exec 1 -o 1
result 0x00000000
out 0 bool:1
> activate main
> wait-command 14
> dialogs
file	Open program file
	filter	Binary target files (*.out;*.elf)|*.out;*.elf|Intel hex files (*.hex;*.h66;*.h86)|*.hex;*.h66;*.h86|All target files (*.out;*.elf;*.hex)|*.out;*.elf;*.hex|All files (*.*)|*.*|
	index	1
	folder	
	file	
	flags	OFN_HIDEREADONLY OFN_EXPLORER
	answer	$dir/a.elf index:2
hidden	214	Load State
	control	-1	Static	Target Pattern Download:	-
	control	215	msctls_progress32		-
		position	100
	control	219	Static	    408 Bytes	-
	control	-1	Static	Symbol analysis:	-
	control	216	msctls_progress32		-
		position	100
	control	217	Static	100 %	-
> host
stores 0
start 1 0x0 0x68 0
> end
" "" "workspace $dir/w.stg
start
answer file $dir/a.elf index:2
exec 1 -o 1
activate main
wait-command 14
dialogs
host
end"
  expect 0 "> workspace $dir/w.stg
> start
> answer 215 expect:207=$dir/a.elf ok
> exec 1 u4:0 u4:0 -o 1
result 0x00000000
out 0 bool:1
> wait-command 14
> answer file cancel
> exec 1
result 0x00000001
> dialogs
dialog	215	Load Binary File
	control	-1	Static	Do you want to load binary file	-
	control	207	Static	$dir/a.elf	-
	control	-1	Static	from Workspace?	-
	control	1	Button	Load	-
	control	2	Button	Cancel	-
	answer	expect:207=$dir/a.elf ok
	result	1
file	Open program file
	filter	Binary target files (*.out;*.elf)|*.out;*.elf|Intel hex files (*.hex;*.h66;*.h86)|*.hex;*.h66;*.h86|All target files (*.out;*.elf;*.hex)|*.out;*.elf;*.hex|All files (*.*)|*.*|
	index	2
	folder	$dir/
	file	$dir/a.elf
	flags	OFN_HIDEREADONLY OFN_EXPLORER
	answer	cancel
> end
" "" "workspace $dir/w.stg
start
answer 215 expect:207=$dir/a.elf ok
exec 1 u4:0 u4:0 -o 1
wait-command 14
answer file cancel
exec 1
dialogs
end"
  # The user sets it in the options of one run; the host's profile carries it to the next.
  expect 0 "> profile-file $dir/profile
> start
> answer 107 check:245=1 ok
> options
page Symbol
apply 0x00000000
> end
" "" "profile-file $dir/profile
start
answer 107 check:245=1 ok
options
end"
  expect 0 "> workspace $dir/w.stg
> profile-file $dir/profile
> start
> exec 1 u4:0 u4:0 -o 1
result 0x00000001
out 0 empty
> dialogs
> end
" "" "workspace $dir/w.stg
profile-file $dir/profile
start
exec 1 u4:0 u4:0 -o 1
dialogs
end"
  expect 0 "> workspace $dir/w.stg
> start
> exec 4
result 0x00000000
> activate main
> exec 5 u4:1
result 0x00000000
> answer 215 \"cmd:exec 5 u4:1\" \"cmd:exec 5\" ok
> exec 1 u4:0 u4:0 -o 1
> exec 5 u4:1
result 0x00000000
> exec 5
result 0x00000000
result 0x00000001
out 0 empty
> dialogs
dialog	215	Load Binary File
	control	-1	Static	Do you want to load binary file	-
	control	207	Static	$dir/a.elf	-
	control	-1	Static	from Workspace?	-
	control	1	Button	Load	-
	control	2	Button	Cancel	-
	answer	cmd:exec 5 u4:1 cmd:exec 5 ok
hidden	214	Load State
	control	-1	Static	Target Pattern Download:	-
	control	215	msctls_progress32		-
		position	0
	control	219	Static		-
	control	-1	Static	Symbol analysis:	-
	control	216	msctls_progress32		-
		position	0
	control	217	Static		-
> end
" "" "workspace $dir/w.stg
start
exec 4
activate main
exec 5 u4:1
answer 215 \"cmd:exec 5 u4:1\" \"cmd:exec 5\" ok
exec 1 u4:0 u4:0 -o 1
dialogs
end"
  ;;
NumbersTheProgramsLoadedTogether)
  # With several programs loaded at once, the same file again is the program that is there
  # (id 0); the programs that the user drops in the images dialog are unloaded, and no new
  # program gets an id that a kept one holds; leaving the dialog gives the load up.
  for name in a b c d e; do cp "$(dirname "$0")/../testdata/elf/arm7-mixed.elf" "$dir/$name.elf" || exit 1; done
  expect 0 "> profile System MULTIPROGRAM/BOOL bool:true
> start
> answer file $dir/a.elf
> exec 1
result 0x00000000
> wait-command 14
> answer file $dir/a.elf
> exec 1
result 0x00000000
> wait-command 14
> answer file $dir/b.elf
> answer 220 ok
> exec 1
result 0x00000000
> wait-command 14
> answer file $dir/c.elf
> answer 220 ok
> exec 1
result 0x00000000
> wait-command 14
> answer file $dir/d.elf
> answer 220 \"expect:233=d.elf {$dir/d.elf}\" row:234=0:state row:234=1:state ok
> exec 1
result 0x00000000
> wait-command 14
> answer file $dir/e.elf
> answer 220 ok
> exec 1
result 0x00000000
> wait-command 14
> answer file $dir/a.elf
> answer 220 row:234=0:state cancel
> exec 1
result 0x00000001
> host
forget 1
forget 2
stores 0
start 1 0x0 0x68 0
start 0 0x0 0x0 0
start 2 0x0 0x68 0
start 3 0x0 0x68 0
start 1 0x0 0x68 0
start 2 0x0 0x68 0
> end
" "" "profile System MULTIPROGRAM/BOOL bool:true
start
answer file $dir/a.elf
exec 1
wait-command 14
answer file $dir/a.elf
exec 1
wait-command 14
answer file $dir/b.elf
answer 220 ok
exec 1
wait-command 14
answer file $dir/c.elf
answer 220 ok
exec 1
wait-command 14
answer file $dir/d.elf
answer 220 \"expect:233=d.elf {$dir/d.elf}\" row:234=0:state row:234=1:state ok
exec 1
wait-command 14
answer file $dir/e.elf
answer 220 ok
exec 1
wait-command 14
answer file $dir/a.elf
answer 220 row:234=0:state cancel
exec 1
host
end"
  ;;
HandlesTheNoticesOfAProgramAndTellsTheExplorer)
  # (The explorer is the host's double here, which tells what it was called with.)
  # A changed file is reloaded without a question with AUTORELOAD while the user works in the
  # main window, and not while they work elsewhere; otherwise the question decides, one
  # notice at a time, and a notice with a wrong value leaves the next to be handled; nothing
  # happens while the host shows no boxes. The explorer hears of breakpoints and unloads, a
  # file that no reader takes shows the formats there are, and the breakpoints that command 3
  # stored reach the host after each load.
  cp "$(dirname "$0")/../testdata/elf/arm7-mixed.elf" "$dir/a.elf" || exit 1
  echo "not a program" > "$dir/notes.txt"
  expect 0 "> profile System AUTORELOAD/BOOL bool:true
> double StdQelSymbolExplWin
> start
> exec 1 bstr:$dir/a.elf -o 1
result 0x00000000
out 0 bool:1
> wait-command 14
> exec 3 u4:1 u4:2 bstrs:\"main.c 7\",\"main.c 9\"
result 0x00000000
> exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
result 0x00000000
> wait-command 14
> activate none
> exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
result 0x00000000
> profile System AUTORELOAD/BOOL bool:false
> answer 213 expect:207=$dir/a.elf \"cmd:exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0\" cancel
> exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
> exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
result 0x00000000
result 0x00000000
> exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:1
result 0x00000000
> exec 2 u4:2 i4:0 bstr:$dir/a.elf bstr:x
result 0x80070057
> answer 213 ok
> exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
result 0x00000000
> wait-command 14
> quiet 1
> exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
result 0x00000000
> quiet 0
> exec 30
result 0x00000000
> exec 8 u4:2 u4:0x68 u4:1 \"bstr:main.c 7\" u4:0x100 u4:0 \"bstr:main.c 9\"
result 0x00000000
> exec 8 u4:2 u4:0x68 u4:1 \"bstr:main.c 7\"
result 0x80070057
> exec 2 u4:1 i4:1
result 0x00000000
> answer msgbox ok
> exec 1 bstr:$dir/notes.txt -o 1
result 0x80004005
out 0 empty
> views
view StdQelSymbolExplWin \"\"
  call SignalBreakpoints \"main.c 7\" \"main.c 9\" | 2x2 104 1 256 0
  call SignalLoadingPrgFile 0 1
  call SignalLoadingPrgFile 0 0
  call SignalLoadingPrgFile 1 -1
> host
forget 1
forget 1
forget 1
stores 0
start 1 0x0 0x68 0
start 1 0x0 0x68 0
start 1 0x0 0x68 0
breakpoints 3 u4:8 u4:2 bstrs:\"main.c 7\",\"main.c 9\"
breakpoints 3 u4:8 u4:2 bstrs:\"main.c 7\",\"main.c 9\"
> end
" "message box \"File load error\": The format of selected binary target file is currently not supported.
Supported file formats:
TriCore:	ELF/DWARF 1.1
	Tasking-Locator-Option \"-f4\"
	GNU-Linker-Option \"-gdwarf+3\"
" "profile System AUTORELOAD/BOOL bool:true
double StdQelSymbolExplWin
start
exec 1 bstr:$dir/a.elf -o 1
wait-command 14
exec 3 u4:1 u4:2 bstrs:\"main.c 7\",\"main.c 9\"
exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
wait-command 14
activate none
exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
profile System AUTORELOAD/BOOL bool:false
answer 213 expect:207=$dir/a.elf \"cmd:exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0\" cancel
exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:1
exec 2 u4:2 i4:0 bstr:$dir/a.elf bstr:x
answer 213 ok
exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
wait-command 14
quiet 1
exec 2 u4:2 i4:0 bstr:$dir/a.elf i4:0
quiet 0
exec 30
exec 8 u4:2 u4:0x68 u4:1 \"bstr:main.c 7\" u4:0x100 u4:0 \"bstr:main.c 9\"
exec 8 u4:2 u4:0x68 u4:1 \"bstr:main.c 7\"
exec 2 u4:1 i4:1
answer msgbox ok
exec 1 bstr:$dir/notes.txt -o 1
views
host
end"
  ;;
ShowsTheProgramInTheSymbolExplorer)
  # The explorer is Talvix's control in a window of the host's. After a load it shows the
  # program's files, gdb's functions and the code sections of the symbol server's request
  # 0; a double click on main shows gdb's line of main in the program window. A
  # breakpoint that the host sets shows enabled; its menu disables it through the host
  # with the labels of request 703, and removes it.
  elf="$(dirname "$0")/../testdata/elf"
  cp "$elf/arm7-mixed.elf" "$dir/a.elf" || exit 1
  line=$(sed -n 's/^Line \([0-9]*\) of "src\/main.c" starts at address 0x68 .*/\1/p' "$elf/arm7-mixed.gdb-functions.txt")
  files="0${tab}Source files${tab}0${tab}3${tab}0
1${tab}main.c [/work/main/testdata/elf/src/main.c]${tab}0${tab}0${tab}0
1${tab}startup.s [/work/main/testdata/elf/src/startup.s]${tab}0${tab}0${tab}0
1${tab}thumb.c [/work/main/testdata/elf/src/thumb.c]${tab}0${tab}0${tab}0"
  functions="1${tab}main${tab}1${tab}0${tab}0
1${tab}thumb_checksum${tab}1${tab}0${tab}0
1${tab}thumb_scale${tab}1${tab}0${tab}0"
  sections="0${tab}Sections${tab}2${tab}6${tab}0
1${tab}.text@3${tab}2${tab}0${tab}0
1${tab}src/main.c@1${tab}2${tab}0${tab}0
1${tab}src/startup.s@0${tab}2${tab}0${tab}0
1${tab}src/thumb.c@2${tab}2${tab}0${tab}0"
  label="'main {/work/main/testdata/elf/src/main.c} .$line+';main.c;1;0;0x0;"
  expect 0 "> start
> exec 30
result 0x00000000
> exec 1 bstr:$dir/a.elf -o 1
result 0x00000000
out 0 bool:1
> wait-command 14
> tree StdQelSymbolExplWin
$files
0${tab}Functions${tab}1${tab}1${tab}0
$functions
$sections
> click StdQelSymbolExplWin double Functions>main
> progwin
view /work/main/testdata/elf/src/main.c 0 0 $line
module main.c
  main 0x68-0x10F
module startup.s
module thumb.c
  thumb_checksum 0x110-0x13B
  thumb_scale 0x13C-0x14F
> exec -g {692DBD81-4A3F-11D2-B2CD-00A02457BF0F} 3 u4:2 bool:true bstr:main i4:1 u4:0x68 u4:0
result 0x00000000
> breakpoints
breakpoint 0x00000068 1 main
> answer menu 2002
> click StdQelSymbolExplWin right \"Breakpoints>main .0\"
> dialogs
menu
${tab}item${tab}2000${tab}-${tab}Open
${tab}separator
${tab}item${tab}2002${tab}-${tab}Disable breakpoint
${tab}item${tab}2003${tab}-${tab}Remove breakpoint
${tab}answer${tab}2002
> breakpoints
breakpoint 0x00000068 0 main
> tree StdQelSymbolExplWin
$files
0${tab}Functions${tab}1${tab}1${tab}1
$functions
$sections
0${tab}Breakpoints${tab}3${tab}1${tab}1
1${tab}main .0${tab}5${tab}0${tab}0
> answer menu 2003
> click StdQelSymbolExplWin right \"Breakpoints>main .0\"
> breakpoints
> host
stores 0
start 1 0x0 0x68 0
breakpoints 3 u4:2 bool:true bstr:main i4:1 u4:104 u4:0
breakpoints 5 u4:2 bool:false bstr:\"$label\" i4:1 u4:104 u4:0
breakpoints 2 u4:2 bool:1 bstr:\"$label\" i4:1 u4:104 u4:0
> end
" "" "start
exec 30
exec 1 bstr:$dir/a.elf -o 1
wait-command 14
tree StdQelSymbolExplWin
click StdQelSymbolExplWin double Functions>main
progwin
exec -g {692DBD81-4A3F-11D2-B2CD-00A02457BF0F} 3 u4:2 bool:true bstr:main i4:1 u4:0x68 u4:0
breakpoints
answer menu 2002
click StdQelSymbolExplWin right \"Breakpoints>main .0\"
dialogs
breakpoints
tree StdQelSymbolExplWin
answer menu 2003
click StdQelSymbolExplWin right \"Breakpoints>main .0\"
breakpoints
host
end"
  # Against the tools: each function of gdb's files is in "Functions", and each there is a
  # code symbol of nm's.
  shown=$(printf '%s\n' "$functions" | cut -f2)
  for function in $(sed -n 's/^[0-9]*:.* \**\([A-Za-z_][A-Za-z_0-9]*\)(.*/\1/p' "$elf/arm7-mixed.gdb-functions.txt"); do
    printf '%s\n' "$shown" | grep -qx "$function" || { echo "FAIL: gdb's $function is not shown"; exit 1; }
  done
  for function in $shown; do
    awk -v f="$function" '$3 == f && ($2 == "T" || $2 == "t") { found = 1 } END { exit !found }' "$elf/arm7-mixed.nm.txt" ||
      { echo "FAIL: nm has no function $function"; exit 1; }
  done
  # The sections shown are request 0's of type 1 or 5 with a length, each inside one of
  # readelf's code sections.
  "$qelhost" query "$dir/a.elf" 0 2> /dev/null > "$dir/sections" || { echo "FAIL: no sections"; exit 1; }
  wanted=$(awk -F"$tab" '($2 == "0x1" || $2 == "0x5") && $6 != "0x0" { print $7 }' "$dir/sections" | sort)
  [ "$wanted" = "$(printf '%s\n' "$sections" | sed 1d | cut -f2 | sort)" ] ||
    { echo "FAIL: the sections shown are not request 0's code sections"; exit 1; }
  code=$(awk -F"$tab" '$1 == "section" && $9 ~ /X/ { print $5 ":" $7 }' "$elf/arm7-mixed.elf.expect")
  for range in $(awk -F"$tab" '($2 == "0x1" || $2 == "0x5") && $6 != "0x0" { print $4 ":" $6 }' "$dir/sections"); do
    start=$((${range%:*})) end=$((${range%:*} + ${range#*:})) inside=
    for section in $code; do
      [ "$start" -ge $((${section%:*})) ] && [ "$end" -le $((${section%:*} + ${section#*:})) ] && inside=1
    done
    [ -n "$inside" ] || { echo "FAIL: the section at $start is in no code section of readelf's"; exit 1; }
  done
  ;;
SetsTheSymbolServersOptionsOnItsPage)
  # A fresh profile shows its defaults, the database directory and its browse button
  # usable only with "Other:"; what the user changes reaches the host's profile, with one
  # store, and the page shows it next time. "Other:" without a directory, or with one that
  # cannot be made (below a regular file, whoever the user is), stores the target path.
  printf 'x' > "$dir/plain"
  expect 0 "> profile-file $dir/profile
> start
> answer 107 click:238 ok
> options
page Symbol
apply none
> answer 107 text:222=main text:223=_start click:226 click:230 check:246=0 click:237 click:238 expect:207=$dir/db ok
> answer folder $dir/db
> options
page Symbol
apply 0x00000000
> answer 107 cancel
> options
page Symbol
apply none
> dialogs
dialog	107	Symbol Server Property Page
	control	-1	Static	Name of 'main' function:	-
	control	222	Edit		-
	control	-1	Static	Name of startup function:	-
	control	223	Edit		-
	control	-1	Static	Source files root directory	-
	control	235	Edit		-
	control	239	Button	...	-
	control	226	Button	Auto reload	0
	control	230	Button	Multi program debugging	0
	control	240	Button	Hex/ELF load	0
	control	245	Button	Ignore program from workspace	0
	control	246	Button	VarEd (RB)	1
	control	-1	Button	Database directory	-
	control	236	Button	Target file path (def.)	1
	control	237	Button	Other:	0
	control	207	Edit		-
	control	238	Button	...	-
	answer	click:238 ok
dialog	107	Symbol Server Property Page
	control	-1	Static	Name of 'main' function:	-
	control	222	Edit		-
	control	-1	Static	Name of startup function:	-
	control	223	Edit		-
	control	-1	Static	Source files root directory	-
	control	235	Edit		-
	control	239	Button	...	-
	control	226	Button	Auto reload	0
	control	230	Button	Multi program debugging	0
	control	240	Button	Hex/ELF load	0
	control	245	Button	Ignore program from workspace	0
	control	246	Button	VarEd (RB)	1
	control	-1	Button	Database directory	-
	control	236	Button	Target file path (def.)	1
	control	237	Button	Other:	0
	control	207	Edit		-
	control	238	Button	...	-
	answer	text:222=main text:223=_start click:226 click:230 check:246=0 click:237 click:238 expect:207=$dir/db ok
folder	Select database directory
	answer	$dir/db
dialog	107	Symbol Server Property Page
	control	-1	Static	Name of 'main' function:	-
	control	222	Edit	main	-
	control	-1	Static	Name of startup function:	-
	control	223	Edit	_start	-
	control	-1	Static	Source files root directory	-
	control	235	Edit		-
	control	239	Button	...	-
	control	226	Button	Auto reload	1
	control	230	Button	Multi program debugging	1
	control	240	Button	Hex/ELF load	0
	control	245	Button	Ignore program from workspace	0
	control	246	Button	VarEd (RB)	0
	control	-1	Button	Database directory	-
	control	236	Button	Target file path (def.)	0
	control	237	Button	Other:	1
	control	207	Edit	$dir/db	-
	control	238	Button	...	-
	answer	cancel
> host
stores 1
> end
" "" "profile-file $dir/profile
start
answer 107 click:238 ok
options
answer 107 text:222=main text:223=_start click:226 click:230 check:246=0 click:237 click:238 expect:207=$dir/db ok
answer folder $dir/db
options
answer 107 cancel
options
dialogs
host
end"
  [ -d "$dir/db" ] || { echo "FAIL: the database directory was not made"; exit 1; }
  expect 0 "> profile-file $dir/profile
> start
> answer 107 click:237 text:207= ok
> options
page Symbol
apply 0x00000000
> answer 107 click:237 text:207=$dir/plain/db ok
> answer msgbox ok
> options
page Symbol
apply 0x00000000
> end
" "" "profile-file $dir/profile
start
answer 107 click:237 text:207= ok
options
answer 107 click:237 text:207=$dir/plain/db ok
answer msgbox ok
options
end"
  printf '%s\n' 'SYSTEM SERVICE bool:false' 'COMPILER SOURCE_FILES_ROOT bstr:""' 'SYSTEM MIXEDMODE bool:false' \
    'SYSTEM SINGLEPROGRAMWINDOW bool:false' 'SYSTEM VARED bool:false' 'COMPILER MAIN_FUNC bstr:main' \
    'COMPILER START_PROC bstr:_start' 'SYSTEM AUTORELOAD bool:true' 'SYSTEM MULTIPROGRAM bool:true' \
    'SYSTEM IGNOREPROGRAMFROMWSP bool:false' 'TOOLS CASETOOL bstr:""' 'SYSTEM DATABASE_SPECIAL bool:false' \
    "SYSTEM DATABASE_DIRECTORY bstr:$dir/plain/db" 'SYSTEM AUTOLOADELF bool:false' > "$dir/expected-profile"
  cmp -s "$dir/profile" "$dir/expected-profile" || { echo "FAIL: the profile file holds"; cat "$dir/profile"; exit 1; }
  ;;
ReadsTheLoadedProgramThroughThePositionDialog)
  # The menu's load downloads the program into the target: before the first stop the
  # position dialog finds a global, after it reads the program's flash through a keyword
  # type of the target's word (the program has a _Bool). A load that fails tells its error
  # to the host. The program is moved where no machine has its sources, and the stop's
  # source is cancelled, so the IP shows as code on every machine. The stop asks for its
  # source once the symbol server has answered, so the session lets that dialog come before
  # it opens its own.
  cp "$(dirname "$0")/../testdata/elf/keywords.elf" "$dir/a.elf" || exit 1
  at=$(grep -abo /work/main/testdata/elf "$dir/a.elf" | cut -d: -f1)
  printf /nowhere/qelvane/testsx | dd of="$dir/a.elf" bs=1 seek="$at" conv=notrunc 2> /dev/null
  expect 0 "> start
> answer file $dir/a.elf
> exec 1 -o 1
result 0x00000000
out 0 bool:1
> activate main
> wait-command 14
> answer 226 text:247=&rom_word ok
> dialog pos
pos ok 0x000000E4
> answer file cancel
> target stop 0x64
> pump 1000
> answer 226 text:247=\"*(unsigned *)&rom_word\" ok
> dialog pos
pos ok 0xCAFEF00D
> end
" "" "start
answer file $dir/a.elf
exec 1 -o 1
activate main
wait-command 14
answer 226 text:247=&rom_word ok
dialog pos
answer file cancel
target stop 0x64
pump 1000
answer 226 text:247=\"*(unsigned *)&rom_word\" ok
dialog pos
end"
  expect 0 "> start
> answer file $dir/gone.elf
> exec 1 -o 1
result 0x00000000
out 0 bool:1
> activate main
> pump
> host
stores 0
error${tab}QELSymbolEngine${tab}File system error
> end
" "" "start
answer file $dir/gone.elf
exec 1 -o 1
activate main
pump
host
end"
  ;;
RunsAndStopsTheTargetAndFiresAPatternRange)
  # No program window is open and no sink answers the pattern event: S_OK.
  expect 0 "> start
> progwin
> target run
> target stop 0x68
> pattern 0 0x68 0x800
result 0x00000000
> end
" "" "start
progwin
target run
target stop 0x68
pattern 0 0x68 0x800
end"
  for line in "target" "target stop" "target stop 0x100000000" "target run now" "pattern 0 0x68" "pattern 0 -1 4" \
              "progwin all"; do
    case $line in
    target*) reason="target takes run, stop ADDR, load FILE, core CORE, access fast|slow|none or write ADDR HEX" ;;
    pattern*) reason="pattern takes a kind, a start address and a length" ;;
    *) reason="progwin takes nothing" ;;
    esac
    expect 1 "> start
> $line
" "error: line 2: $reason
" "start
$line"
  done
  expect 1 "> progwin
" "error: line 1: progwin is out of order
" "progwin"
  ;;
LoadsAProgramAndACoreAndWritesTheTarget)
  # What the target then holds the host's tests compare with readelf and gdb; here the
  # session's words reach it, and what it refuses says why.
  elf=$(cd "$(dirname "$0")/../testdata/elf" && pwd)
  expect 0 "> start
> target load $elf/watch-O0.elf
> target core $elf/watch-O0-frame1.core
> target access slow
> target access none
> target write 0x40000008 2A000000
> animate 100
> target run
> animate 0
> end
" "" "start
target load $elf/watch-O0.elf
target core $elf/watch-O0-frame1.core
target access slow
target access none
target write 0x40000008 2A000000
animate 100
target run
animate 0
end"
  for line in "target load $dir/none.elf" "target core $elf/watch-O0.elf" "target write 0x30000000 00" \
              "target write 0x40000008 2A0" "target write 0x40000008 zz" "target access quick" "animate" \
              "animate 60001"; do
    case $line in
    "target load"*) reason="The file $dir/none.elf cannot be opened: No such file or directory." ;;
    "target core"*) reason="The file is no core file (ELF type 2)." ;;
    "target write 0x3"*) reason="the target has no memory at 0x30000000 for 1 bytes" ;;
    "target write"*) reason="target write takes an address and an even number of hex digits" ;;
    "target access"*) reason="target access takes fast, slow or none" ;;
    *) reason="animate takes a time in ms, up to 60000" ;;
    esac
    expect 1 "> start
> $line
" "error: line 2: $reason
" "start
$line"
  done
  ;;
ShowsTheProgramInItsWindows)
  # The sample program, built where no machine has its sources: its units name the bare
  # "main.c", which the source root finds. The IP at main is marked at the line gdb gives;
  # a code range is a window of its own; single-window mode closes the windows open
  # before and shows the code at the positions typed in one window. The next run reopens
  # that window, in single-window mode again, and the position dialog offers both texts.
  src=$(cd "$(dirname "$0")/../testdata/elf/src" && pwd)
  gdb="$(dirname "$0")/../testdata/elf/arm7-mixed.gdb-functions.txt"
  line=$(sed -n 's/^Line \([0-9]*\) of "src\/main.c" starts at address 0x68 .*/\1/p' "$gdb")
  cp "$(dirname "$0")/../testdata/elf/arm7-mixed.elf" "$dir/a.elf" || exit 1
  at=$(grep -abo /work/main/testdata/elf "$dir/a.elf" | cut -d: -f1)
  printf /nowhere/qelvane/testsx | dd of="$dir/a.elf" bs=1 seek="$at" conv=notrunc 2> /dev/null
  expect 0 "> workspace $dir/w.stg
> profile-file $dir/profile
> profile Compiler SOURCE_FILES_ROOT bstr:$src
> start
> exec 1 bstr:$dir/a.elf -o 1
result 0x00000000
out 0 bool:1
> answer file $src/main.c
> exec 10
result 0x00000000
> target stop 0x68
> pump
> exec 25 u4:0x68 u4:2048
result 0x00000000
> progwin
view $src/main.c 0 0 $line
  mark $line 0
module main.c
  main 0x68-0x10F
module startup.s
module thumb.c
  thumb_checksum 0x110-0x13B
  thumb_scale 0x13C-0x14F
view \"<code: 0x68-0x867>\" 2 0 0
module main.c
  main 0x68-0x10F
module startup.s
module thumb.c
  thumb_checksum 0x110-0x13B
  thumb_scale 0x13C-0x14F
> exec 92
result 0x00000000
> answer 226 text:247=0x1000 ok
> exec 94
result 0x00000000
> progwin
view \"<code: 0x1000-0x17FF>\" 3 0 0
module main.c
  main 0x68-0x10F
module startup.s
module thumb.c
  thumb_checksum 0x110-0x13B
  thumb_scale 0x13C-0x14F
> answer 226 text:247=&thumb_scale ok
> exec 94
result 0x00000000
> progwin
view \"<code: 0x13C-0x93B>\" 3 0 0
module main.c
  main 0x68-0x10F
module startup.s
module thumb.c
  thumb_checksum 0x110-0x13B
  thumb_scale 0x13C-0x14F
> end
" "" "workspace $dir/w.stg
profile-file $dir/profile
profile Compiler SOURCE_FILES_ROOT bstr:$src
start
exec 1 bstr:$dir/a.elf -o 1
answer file $src/main.c
exec 10
target stop 0x68
pump
exec 25 u4:0x68 u4:2048
progwin
exec 92
answer 226 text:247=0x1000 ok
exec 94
progwin
answer 226 text:247=&thumb_scale ok
exec 94
progwin
end"
  # Every file and function of gdb's is in the tree.
  for file in $(sed -n 's/^File src\/\(.*\):$/\1/p' "$gdb"); do
    grep -qx "module $file" "$dir/out" || { echo "FAIL: no module $file"; exit 1; }
  done
  for function in $(sed -n 's/^[0-9]*:.* \**\([A-Za-z_][A-Za-z_0-9]*\)(.*/\1/p' "$gdb"); do
    grep -q "^  $function 0x" "$dir/out" || { echo "FAIL: no function $function"; exit 1; }
  done
  expect 0 "> workspace $dir/w.stg
> profile-file $dir/profile
> start
> progwin
view \"<code: 0x13C-0x93B>\" 3 0 0
> answer 226 cancel
> exec 94
result 0x00000001
> dialogs
dialog	226	Program code position
	control	247	ComboBox	&thumb_scale	-
		item	0	&thumb_scale
		item	1	0x1000
	control	243	Button	...	-
	control	1	Button	OK	-
	control	2	Button	Cancel	-
	answer	cancel
	result	2
> end
" "" "workspace $dir/w.stg
profile-file $dir/profile
start
progwin
answer 226 cancel
exec 94
dialogs
end"
  ;;
SelectsTheProgramsFunctionsFromTheToolBar)
  # The tool bar's select list names the host's debugger in its tip. The program window
  # lists the program's functions there, in the list's order, each at nm's address
  # (arm7-mixed.selectlist.txt, made by make-selectlist-oracle.sh). Moving to entry 2
  # records a choice of final 0 in the window that listed it, closing the list one of
  # final 1, which shows the function at gdb's line in a window of its file. When the
  # windows go, the list empties.
  elf=$(cd "$(dirname "$0")/../testdata/elf" && pwd)
  oracle="$elf/arm7-mixed.selectlist.txt"
  cp "$elf/arm7-mixed.elf" "$dir/a.elf" || exit 1
  entries=$(while read -r _ function at _ _; do printf 'entry %s 0x%X\n' "$function" "$at"; done < "$oracle")
  set -- $(sed -n 3p "$oracle")
  name=$2 address=$(($3)) line=$4 file=$5
  [ "$name" = thumb_scale ] || { echo "FAIL: entry 2 of the oracle is $name"; exit 1; }
  thumb=/work/main/testdata/$(basename "$elf")/$file
  modules="module main.c
  main 0x68-0x10F
module startup.s
module thumb.c
  thumb_checksum 0x110-0x13B
  thumb_scale 0x13C-0x14F"
  group={CDAD36E0-2868-11D2-BCB8-006097125629}
  expect 0 "> start
> wait-command 22
> select-list
selected -1
tip \"Select ARM7 program function\"
> answer file $elf/src/main.c
> exec 10
result 0x00000000
> exec 1 bstr:$dir/a.elf -o 1
result 0x00000000
out 0 bool:1
> wait-command 14
> select-list
$entries
selected 0
tip \"Select ARM7 program function\"
> select-list pick 2
> select-list pick 2 close
> views
view StdQelProgWin $elf/src/main.c
  command $group 10 u4:0 bstr:$elf/src/main.c bstr:\"\"
  command $group 13
  command $group 14
  command $group 22 u4:$address bool:false
  command $group 22 u4:$address bool:true
view StdQelProgWin $thumb
  command $group 10 u4:0 bstr:$thumb bstr:$thumb
  command $group 15 u4:$line u4:$address bstr:$thumb
> progwin
view $elf/src/main.c 0 0 0
$modules
view $thumb 0 0 $line
$modules
> exec 92
result 0x00000000
> select-list
selected -1
tip \"Select ARM7 program function\"
> end
" "" "start
wait-command 22
select-list
answer file $elf/src/main.c
exec 10
exec 1 bstr:$dir/a.elf -o 1
wait-command 14
select-list
select-list pick 2
select-list pick 2 close
views
progwin
exec 92
select-list
end"
  expect 0 "> host-name \"TriCore Debugger\"
> start
> select-list
selected -1
tip \"Select TriCore program function\"
> end
" "" "host-name \"TriCore Debugger\"
start
select-list
end"
  for line in "select-list pick" "select-list pick -1" "select-list pick 0 now" "select-list all"; do
    expect 1 "> start
> $line
" "error: line 2: select-list takes nothing, or pick, an entry's number and close
" "start
$line"
  done
  expect 1 "> start
> select-list pick 0
" "error: line 2: the select list has no entry 0
" "start
select-list pick 0"
  expect 1 "> start
> host-name ARM7
" "error: line 2: host-name is out of order
" "start
host-name ARM7"
  ;;
LoadsTheAddOnsWithTheirProjectAndRunsTheirCommands)
  # The add-on starts with the workspace as its project, traces what its level lets
  # through, keeps its command sequences and shows its information box.
  lib=$(cd "$(dirname "$qelhost")/../lib" && pwd)/libBrennet.so
  expect 0 "> trace-level 60
> start
> traces
trace${tab}2${tab}QELCaseToolSupport${tab}Storage used as Project Profile
> addon begin
result 0x00000000
> addon end
result 0x00000000
> addon end
result 0x80004005
> addon
name${tab}QELCaseToolSupport
description${tab}Support of Case Tools Connection
version${tab}Support of Case Tools Connection V3.0.0.1
initialised${tab}1
events${tab}1${tab}0${tab}1${tab}1${tab}0
checked${tab}0
> answer msgbox ok
> addon info
result 0x00000000
> dialogs
msgbox${tab}QELCaseToolSupport${tab}Component: QELCaseToolSupport\\nSupport of Case Tools Connection\\nVersion: 3.0.0.1\\nModule: $lib${tab}0x40
${tab}answer${tab}ok
> traces
> end
" "" "trace-level 60
start
traces
addon begin
addon end
addon end
addon
answer msgbox ok
addon info
dialogs
traces
end"
  # An INI file that exists is the project; one that does not, or none, is refused.
  : > "$dir/project.ini"
  expect 0 "> project $dir/project.ini
> trace-level 50
> start
> traces
trace${tab}2${tab}QELCaseToolSupport${tab}INI file $dir/project.ini used as Project Profile
> end
" "" "project $dir/project.ini
trace-level 50
start
traces
end"
  expect 0 "> project none
> start
addon-error add-on QELCaseToolSupport did not start (0x80004005)
> traces
trace${tab}0${tab}QELCaseToolSupport${tab}Invalid project profile  !
trace${tab}0${tab}QELCaseToolSupport${tab}Component initialisation failed !
error${tab}QELCaseToolSupport${tab}Invalid project profile  !
error${tab}QELCaseToolSupport${tab}Component initialisation failed !
> addon
name${tab}QELCaseToolSupport
description${tab}Support of Case Tools Connection
version${tab}Support of Case Tools Connection V3.0.0.1
initialised${tab}0
events${tab}0${tab}0${tab}0${tab}0${tab}0
checked${tab}0
> end
" "" "project none
start
traces
addon
end"
  expect 1 "> start
> trace-level 5
" "error: line 2: trace-level is out of order
" "start
trace-level 5"
  ;;
ShotsAndKeysTheLocalsView)
  # The locals view of a stopped program takes keys and text and is shot as a PNG; a key
  # with a modifier of no keyboard says so.
  elf=$(cd "$(dirname "$0")/../testdata/elf" && pwd)
  sections="load $elf/watch-O0.elf 0 0
0${tab}0x1${tab}0x1${tab}0x0${tab}0x0${tab}0x64${tab}src/startup.s@0
0${tab}0x1${tab}0x1${tab}0x68${tab}0x0${tab}0x28C${tab}src/watch.c@1
0${tab}0x1${tab}0x1${tab}0x2F4${tab}0x0${tab}0x3C${tab}src/watch2.c@2
0${tab}0x1${tab}0x1${tab}0x330${tab}0x0${tab}0x9D0${tab}.text@3
0${tab}0x2${tab}0x1${tab}0xD00${tab}0x0${tab}0x54${tab}.rodata@4
0${tab}0x3${tab}0x1${tab}0x40000000${tab}0x0${tab}0xD8${tab}.data@5"
  expect 1 "> start
> request-load $elf/watch-O0.elf
$sections
> target load $elf/watch-O0.elf
> exec 60
result 0x00000000
> answer file cancel
> target core $elf/watch-O0-frame1.core
> shot StdQelLocalsWin $dir/locals.png
> key StdQelLocalsWin DOWN+shift
> type StdQelLocalsWin ab
> key StdQelLocalsWin DOWN+alt
" "error: line 10: a key takes +shift and +ctrl only
" "start
request-load $elf/watch-O0.elf
target load $elf/watch-O0.elf
exec 60
answer file cancel
target core $elf/watch-O0-frame1.core
shot StdQelLocalsWin $dir/locals.png
key StdQelLocalsWin DOWN+shift
type StdQelLocalsWin ab
key StdQelLocalsWin DOWN+alt"
  [ "$(head -c 8 "$dir/locals.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
    { echo "FAIL: the shot is no PNG"; exit 1; }
  ;;
BrowsesTheProgramWithTalvixsSymbolBrowser)
  # Talvix's browser, made by its class, shows the loaded program in its dialog once the
  # replies are in: in code mode Select ends it with the first function, main, at nm's
  # address and length; with a message id a choice is posted to the main window, the
  # dialog stays open and Close ends it with no choice; a browse line that names no mode
  # is refused.
  cp "$(dirname "$0")/../testdata/elf/arm7-mixed.elf" "$dir/a.elf" || exit 1
  expect 1 "> start
> exec 1 bstr:$dir/a.elf -o 1
result 0x00000000
out 0 bool:1
> wait-command 14
> answer 291 cmd:\"pump 1500\" ok
> browse 0
> pump 1500
browse${tab}0x00000000${tab}0x68${tab}168${tab}main
> answer 291 cmd:\"pump 1500\" ok
> answer 291 cancel
> browse 100 post
> pump 1500
browse${tab}0x00000001${tab}0x0${tab}0${tab}
posted${tab}0${tab}3
> browse 100 later
" "error: line 9: browse takes a mode and, to post the choices, post
" "start
exec 1 bstr:$dir/a.elf -o 1
wait-command 14
answer 291 cmd:\"pump 1500\" ok
browse 0
answer 291 cmd:\"pump 1500\" ok
answer 291 cancel
browse 100 post
browse 100 later"
  ;;
BrowsesTheControllersRegisters)
  # In register mode the browser shows the registers of the controller that the debugger
  # loaded (testdata/sfr/browser.sfr, built by qelsfrdb): the caret is the first of "All
  # registers" in lstrcmpA order that is offered, CTRL (index 5), as none of the "__" ones
  # is. With a message id each Select posts it, with Expand checked and it alone selected
  # (wParam 3); without one Select ends the dialog with it. A database that is not there
  # loads nothing.
  "$(dirname "$qelhost")/qelsfrdb" "$(dirname "$0")/../testdata/sfr/browser.sfr" "$dir/browser.mdb" > /dev/null || exit 1
  expect 0 "> start
> controller $dir/browser.mdb
load${tab}0x00000000${tab}$dir/browser.mdb
> answer 291 ok
> answer 291 ok
> answer 291 cancel
> browse 102 post
browse${tab}0x00000001${tab}0x0${tab}0${tab}
posted${tab}3${tab}5
posted${tab}3${tab}5
> answer 291 ok
> browse 102
browse${tab}0x00000000${tab}0x0${tab}5${tab}CTRL
> controller $dir/none.mdb
load${tab}0x00000001${tab}$dir/none.mdb
> end
" "" "start
controller $dir/browser.mdb
answer 291 ok
answer 291 ok
answer 291 cancel
browse 102 post
answer 291 ok
browse 102
controller $dir/none.mdb
end"
  ;;
BrowsesTheSymbolsOfAGeneratedProgram)
  # testdata/browser/gen20-O0.elf, a program of gen-firmware.py (its make.sh). The position
  # dialog's browse button opens Talvix's browser in code mode, whose caret is the first of
  # the program's functions in lstrcmpA order (for these names the first in byte order of
  # readelf's FUNC symbols of the modules); Select gives "&NAME" to the position field and
  # nm's address. In watch mode the first of "All Globals/Statics" is posted by its symbol
  # index, which request 408 answers with its name; in data mode Select gives its name and
  # scope and the address that nm gives one of the statics of that name.
  data=$(cd "$(dirname "$0")/../testdata/browser" && pwd)
  cp "$data/gen20-O0.elf" "$dir/g.elf" || exit 1
  first=$(awk '$4 == "FUNC" { print $8 }' "$data/gen20-O0.readelf-s.txt" |
          grep -E '^(f[0-9]+_[0-9]+|module[0-9]+_entry|main)$' | LC_ALL=C sort | head -1)
  address=$(awk -v name="$first" '$3 == name { print toupper($1) }' "$data/gen20-O0.nm.txt")
  expect 0 "> start
> exec 1 bstr:$dir/g.elf -o 1
result 0x00000000
out 0 bool:1
> wait-command 14
> answer 226 click:243 expect:247=&$first ok
> answer 291 cmd:\"pump 2000\" ok
> dialog pos
> pump 2000
pos ok 0x$address
> answer 291 cmd:\"pump 2000\" ok
> answer 291 cancel
> browse 100 post
> pump 2000
browse${tab}0x00000001${tab}0x0${tab}0${tab}
posted${tab}0${tab}14
> answer 291 cmd:\"pump 2000\" ok
> browse 1
> pump 2000
browse${tab}0x00000000${tab}0x4000000C${tab}0${tab}calls0 [m0000.c]:{f0_0}
> end
" "" "start
exec 1 bstr:$dir/g.elf -o 1
wait-command 14
answer 226 click:243 expect:247=&$first ok
answer 291 cmd:\"pump 2000\" ok
dialog pos
answer 291 cmd:\"pump 2000\" ok
answer 291 cancel
browse 100 post
answer 291 cmd:\"pump 2000\" ok
browse 1
end"
  "$qelhost" query "$dir/g.elf" --dbdir "$dir/q" 408 14 2> /dev/null | cut -f2 > "$dir/name"
  [ "$(cat "$dir/name")" = calls0 ] || { echo "FAIL: request 408 with 14 gives $(cat "$dir/name")"; exit 1; }
  grep -qiE '^4000000c b calls0[.]' "$data/gen20-O0.nm.txt" || { echo "FAIL: nm has no calls0 at 0x4000000C"; exit 1; }
  ;;
ShowsTheLocalsOfEachStopAsGdbReadsThem)
  # The locals view read from its pixels at each stop of watch-O0.elf: its names are gdb's
  # parameters and locals of the core, once each; integer values are gdb's, and after
  # "hexadecimal" on one of them gdb-multiarch's print/x (watch-O0-locals-printx.txt,
  # made by make-locals-hex.sh), window-wide; the structures expand to gdb's members. A
  # second core in the same function keeps the items, their expansion and format (with
  # local_bits open too, the rows reach past the view, which is scrolled to read them); one in
  # another function replaces them; a stop without locals leaves one empty row, which
  # shows once it is selected.
  elf=$(cd "$(dirname "$0")/../testdata/elf" && pwd)
  # A copy of its own: the symbol database made beside the program is this test's alone.
  cp "$elf/watch-O0.elf" "$dir/watch-O0.elf" || exit 1
  cat > "$dir/script" <<EOS
start
request-load $dir/watch-O0.elf
target load $dir/watch-O0.elf
exec 60
answer file cancel
target core $elf/watch-O0-frame1.core
shown StdQelLocalsWin
click StdQelLocalsWin left where>x
click StdQelLocalsWin left local_point>y
click StdQelLocalsWin left local_bits>u1
answer menu 2102
click StdQelLocalsWin right value count
shown StdQelLocalsWin
target core $elf/watch-O0-frame2.core
shown StdQelLocalsWin
answer file cancel
target core $elf/watch-O0-thumb1.core
shown StdQelLocalsWin
answer file cancel
target stop 0x4
key StdQelLocalsWin HOME
shown StdQelLocalsWin
end
EOS
  "$qelhost" session "$dir/script" > "$dir/out" 2> "$dir/err" || { echo "FAIL: the session failed"; cat "$dir/err"; exit 1; }
  # Each shown's rows, into shown.1 to shown.5.
  awk -v dir="$dir" '/^> / { n += $0 ~ /^> shown / ? 1 : 0; on = $0 ~ /^> shown /; next } on { print > (dir "/shown." n) }' "$dir/out"
  # gdb's parameters and locals of a core, NAME<TAB>VALUE.
  gdb_locals() { sed -n 's/^\([a-z_][a-z_0-9]*\) = \(.*\)/\1\t\2/p' "$elf/$1.gdb.txt"; }
  # The roots' names, sorted, against gdb's.
  names() {
    awk -F "$tab" '$1 == 1 { print $3 }' "$dir/shown.$1" | sort > "$dir/names"
    gdb_locals "$2" | cut -f1 | sort > "$dir/gdb-names"
    cmp -s "$dir/names" "$dir/gdb-names" || { echo "FAIL: shown $1 names other locals than gdb in $2"; diff "$dir/names" "$dir/gdb-names"; exit 1; }
  }
  # The names of the core's locals of integer types, by gdb's whatis.
  integers() {
    awk -F "$tab" -v core="$1" '$1 == core && $4 ~ /^(unsigned )?(char|short|int|long|long long)$/ { print $2 }' \
      "$elf/watch-O0-locals-printx.txt"
  }
  # Each root of an integer type shows gdb's value (a character's code for a char).
  decimal() {
    integers "$2" > "$dir/integer-names"
    gdb_locals "$2" | awk -F "$tab" 'NR == FNR { integer[$1] = 1; next } integer[$1] { sub(/ .*/, "", $2); print $1 "\t" $2 }' \
      "$dir/integer-names" - > "$dir/gdb-integers"
    [ -s "$dir/gdb-integers" ] || { echo "FAIL: no integer local in $2"; exit 1; }
    awk -F "$tab" 'NR == FNR { want[$1] = $2; next } $1 == 1 && ($3 in want) && $4 != want[$3] { print $3 ": " $4 " not " want[$3]; bad = 1 } END { exit bad }' \
      "$dir/gdb-integers" "$dir/shown.$1" || { echo "FAIL: shown $1 gives other values than gdb in $2"; exit 1; }
  }
  # The same roots in hexadecimal, as print/x gives them; the members of where and
  # local_point in gdb's order, shown under them, with print/x's values.
  hexadecimal() {
    integers "$2" > "$dir/integer-names"
    awk -F "$tab" -v core="$2" '$1 == core { print $2 "\t" $3 }' "$elf/watch-O0-locals-printx.txt" > "$dir/printx"
    awk -F "$tab" -v check="${3:-}" '
      FILENAME == ARGV[1] { integer[$1] = 1; next }
      FILENAME == ARGV[2] { hex[$1] = $2; next }
      { value = tolower($4) }
      $1 == 1 { parent = $3; member = 0; if (integer[$3] && value != hex[$3]) { print $3 ": " $4 " not " hex[$3]; bad = 1 } }
      $1 == 2 && (parent == "where" || parent == "local_point") {
        text = hex[parent]; gsub(/[{}]/, "", text); count = split(text, parts, ", ")
        ++member; split(parts[member], pair, " = ")
        if ($3 != pair[1] || value != pair[2]) { print parent ">" $3 ": " $4 " not " parts[member]; bad = 1 }
        seen[parent] = member; total[parent] = count
      }
      END {
        if (check == "members")
          for (name in total) if (seen[name] != total[name]) { print name ": " seen[name] " members shown"; bad = 1 }
        if (check == "members" && length(total) != 2) { print "where and local_point do not both show their members"; bad = 1 }
        exit bad
      }' "$dir/integer-names" "$dir/printx" "$dir/shown.$1" || { echo "FAIL: shown $1 gives other values than print/x in $2"; exit 1; }
  }
  names 1 watch-O0-frame1.core
  decimal 1 watch-O0-frame1.core
  names 2 watch-O0-frame1.core
  hexadecimal 2 watch-O0-frame1.core members
  names 3 watch-O0-frame2.core
  hexadecimal 3 watch-O0-frame2.core members
  [ "$(awk -F "$tab" '$3 == "where" || $3 == "local_point" { print $2 }' "$dir/shown.3" | tr -d '\n')" = "--" ] ||
    { echo "FAIL: the second stop did not keep the expansions"; cat "$dir/shown.3"; exit 1; }
  names 4 watch-O0-thumb1.core
  hexadecimal 4 watch-O0-thumb1.core
  [ "$(awk -F "$tab" '$1 != 1' "$dir/shown.4")" = "" ] || { echo "FAIL: the thumb stop kept members"; exit 1; }
  [ "$(cat "$dir/shown.5")" = "1$tab.$tab$tab$tab-" ] || { echo "FAIL: a stop without locals shows"; cat "$dir/shown.5"; exit 1; }
  ;;
RefusesBadUsage)
  "$qelhost" session > /dev/null 2>&1; [ $? -eq 2 ] || { echo "FAIL: no script is not exit 2"; exit 1; }
  "$qelhost" session a b > /dev/null 2>&1; [ $? -eq 2 ] || { echo "FAIL: two scripts is not exit 2"; exit 1; }
  "$qelhost" session "$dir/missing" > /dev/null 2>&1; [ $? -eq 1 ] || { echo "FAIL: a missing script is not exit 1"; exit 1; }
  "$qelhost" session "$dir" > "$dir/out" 2> "$dir/err"; status=$?
  [ $status -eq 2 ] && [ ! -s "$dir/out" ] && [ "$(cat "$dir/err")" = "qelhost: the script $dir is a folder" ] ||
    { echo "FAIL: a folder as the script gives exit $status"; cat "$dir/err"; exit 1; }
  ;;
*)
  echo "no case $case"; exit 1 ;;
esac
