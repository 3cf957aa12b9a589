#!/bin/sh
# qelhostcasetools_test.sh QELHOST QELX32PEER DIR: one session whose add-on links with X32
# (qelx32peer as the configured tool) and then, once the user has chosen it instead, with
# EasyCODE (the session's double), on watch-O0.elf loaded into Korvex and into the target.
# Each tool's breakpoint of a line of watch.c reaches the host with the addresses that
# readelf decodes for it (testdata/elf/watch-O0.decodedline.txt, its command in its first
# line), and comes back to the tool from the host's list; each tool's watch of g_int
# reaches Korvex's watch window; EasyCODE's value watch shows gdb's value of g_int
# (testdata/elf/watch-format.txt) at the next stop, and after a write into the target's
# memory, the new value.
set -u
qelhost=$1 peer=$2 dir=$3
rm -rf "$dir" && mkdir -p "$dir/dde" && chmod 700 "$dir/dde" || exit 1
source=$(cd "$(dirname "$0")/.." && pwd)
export QEL_REGISTRY="$dir/registry" QEL_DDE_DIR="$dir/dde"
export QEL_X32PEER_LOG="$dir/peer.log" QEL_X32PEER_SCRIPT="$dir/peer.script"
addon={6FEE6D70-9B3F-46D9-A79F-8466A2CCF473}
program=$source/testdata/elf/watch-O0.elf
lines=$source/testdata/elf/watch-O0.decodedline.txt
sources=$source/testdata/elf/src
watch=$sources/watch.c

# What the host receives for a line: each statement row of it in readelf's table as the
# triple mode 1, address, length up to the next row (decimal).
triples() {
  awk -v line="$1" 'function hex(t,  i, n) {
      n = 0
      for (i = 3; i <= length(t); i++) n = n * 16 + index("0123456789abcdef", substr(t, i, 1)) - 1
      return n
    }
    $1 == "watch.c" && NF >= 3 {
      address = hex($3)
      if (open) { printf " i4:1 u4:%d u4:%d", held, address - held; open = 0 }
      if ($2 == line && $NF == "x") { held = address; open = 1 }
    }' "$lines"
}
# The first statement row of a line, as 0xHEX.
first_address() {
  awk -v line="$1" '$1 == "watch.c" && $2 == line && $NF == "x" { print $3; exit }' "$lines"
}
x32_triples=$(triples 54) easycode_triples=$(triples 64)
[ -n "$x32_triples" ] && [ -n "$easycode_triples" ] || { echo "FAIL: no rows in $lines"; exit 1; }
# The program stands at main's first line.
stop=$(first_address 72)
gdb_value=$(awk -F '\t' '$1 == "watch-O0.elf" && $2 == "g_int" && $3 == "d" { print $4 }' \
  "$source/testdata/elf/watch-format.txt")
g_int=$(awk -F '\t' '$1 == "watch-O0.elf" && $2 == "g_int" && $3 == "addr" { split($4, w, " "); print w[3] }' \
  "$source/testdata/elf/watch-format.txt")
[ -n "$stop" ] && [ -n "$gdb_value" ] && [ -n "$g_int" ] || { echo "FAIL: no oracle answers"; exit 1; }

# The peer waits until the add-on's connect has shown the position, so that the host
# hears the add-on first.
printf '%s\n' 'sleep 300' 'XDebug -s watch.c 54' 'XDebug -v a b #g_int' > "$QEL_X32PEER_SCRIPT"
cat > "$dir/script" <<END
profile Tools CaseTool/BSTR bstr:$peer
profile Compiler SOURCE_FILES_ROOT/BSTR bstr:$sources
profile System DATABASE_SPECIAL/BOOL bool:true
profile System DATABASE_DIRECTORY/BSTR bstr:$dir
# The watch window's double records the calls that the links make of it.
double StdQelWatchWin
start
request-load $program
target load $program
target stop $stop
exec -g $addon 2
wait-command 71
pump 1000
addon
host
views
exec -g $addon 4 u4:1 bstr:watch.c u4:59 u4:1
exec -g $addon 2
addon
pump 500
easycode on
profile Tools CaseTool/BSTR "bstr:EasyCODE Debug Interface"
exec -g $addon 2
addon
easycode
easycode event 1 bstr:watch.c i4:64
pump 1000
host
easycode
easycode event 13 bstr:g_int
pump 1000
target stop $stop
pump 1000
easycode
target write $g_int 87d61200
easycode event 13 bstr:g_int
pump 1000
target stop $stop
pump 1000
easycode
easycode event 14 bstr:g_int
wait-command 71
easycode event 15 bstr:g_int
wait-command 72
views
end
END
"$qelhost" session "$dir/script" > "$dir/out" 2> "$dir/err"
status=$?

checked() { printf 'name\tQELCaseToolSupport\ndescription\tSupport of Case Tools Connection\nversion\tSupport of Case Tools Connection V3.0.0.1\ninitialised\t1\nevents\t1\t0\t0\t0\t0\nchecked\t%s\n' "$1"; }
# The program window's commands, Korvex's own, as the N-th `views` printed them.
program_window() { awk -v n="$1" '/^> views$/ { at++ } /^> / && !/^> views$/ { if (at == n) exit } at == n && /^  command / { print }' "$dir/out"; }
breakpoint() { printf "breakpoints 3 u4:2 bool:1 bstr:\"'watch_frame {watch.c} .%s';watch.c;1;%s;;\"%s\n" "$@"; }
{
  printf '> profile Tools CaseTool/BSTR bstr:%s\n> profile Compiler SOURCE_FILES_ROOT/BSTR bstr:%s\n' "$peer" "$sources"
  printf '> profile System DATABASE_SPECIAL/BOOL bool:true\n> profile System DATABASE_DIRECTORY/BSTR bstr:%s\n' "$dir"
  printf '> double StdQelWatchWin\n> start\n> request-load %s\nload %s 0 0\n' "$program" "$program"
  sed -n '/^0\t/p' "$dir/out"
  printf '> target load %s\n> target stop %s\n' "$program" "$stop"
  # X32: the peer's breakpoint and watch.
  printf '> exec -g %s 2\nresult 0x00000000\n> wait-command 71\n> pump 1000\n> addon\n' "$addon"
  checked 1
  printf '> host\nstores 0\nbreakpoints 3 u4:16\n'
  breakpoint 54 6 "$x32_triples"
  printf '> views\nview StdQelProgWin %s\n' "$watch"
  program_window 1
  index=$(sed -n 's/^  call AddWatchSymbol //p' "$dir/out" | head -1)
  printf 'view StdQelWatchWin ""\n  call AddWatchSymbol %s\n' "$index"
  printf '> exec -g %s 4 u4:1 bstr:watch.c u4:59 u4:1\nresult 0x00000000\n' "$addon"
  # The user switches the link off, chooses EasyCODE and switches it on.
  printf '> exec -g %s 2\nresult 0x00000000\n> addon\n' "$addon"
  checked 0
  printf '> pump 500\n> easycode on\n> profile Tools CaseTool/BSTR "bstr:EasyCODE Debug Interface"\n'
  printf '> exec -g %s 2\nresult 0x00000000\n> addon\n' "$addon"
  checked 1
  printf '> easycode\ncall 21 bstr:"QEL Debugee"\ncall 17\ncall 9 bstr:%s i4:72\n' "$watch"
  # EasyCODE: its breakpoint, and the host's list back in the tool.
  printf '> easycode event 1 bstr:watch.c i4:64\nresult 0x00000000\n> pump 1000\n> host\nstores 0\n'
  printf 'breakpoints 3 u4:16\n'
  breakpoint 54 6 "$x32_triples"
  printf 'breakpoints 3 u4:16\n'
  breakpoint 64 16 "$easycode_triples"
  printf '> easycode\ncall 32 i4:1\ncall 26 bstr:%s i4:54 i4:1 i4:1\ncall 26 bstr:%s i4:64 i4:1 i4:1\n' "$watch" "$watch"
  # Its value watch: gdb's value at the next stop, then the value written.
  printf '> easycode event 13 bstr:g_int\nresult 0x00000000\n> pump 1000\n> target stop %s\n> pump 1000\n' "$stop"
  printf '> easycode\ncall 17\ncall 18 bstr:g_int i4:%s\ncall 9 bstr:%s i4:72\n' "$gdb_value" "$watch"
  printf '> target write %s 87d61200\n' "$g_int"
  printf '> easycode event 13 bstr:g_int\nresult 0x00000000\n> pump 1000\n> target stop %s\n> pump 1000\n' "$stop"
  printf '> easycode\ncall 17\ncall 18 bstr:g_int i4:1234567\ncall 9 bstr:%s i4:72\n' "$watch"
  # Its watch-window events: the same global in Korvex's watch window, then deleted.
  printf '> easycode event 14 bstr:g_int\nresult 0x00000000\n> wait-command 71\n'
  printf '> easycode event 15 bstr:g_int\nresult 0x00000000\n> wait-command 72\n'
  printf '> views\nview StdQelProgWin %s\n' "$watch"
  program_window 2
  printf 'view StdQelWatchWin ""\n  call AddWatchSymbol %s\n  call AddWatchSymbol %s\n  call DeleteWatch %s\n' \
    "$index" "$index" "$index"
  printf '> end\n'
} > "$dir/expected-out"
# The peer's log: the position at connecting, the breakpoint it set back from the host's
# list with the program's whole path, and the add-on's own list replacing it.
printf 'Debug -d %s 72\nDebug -s %s 54\nDebug -r %s 54\nDebug -c\nDebug -s watch.c 59\n' \
  "$watch" "$watch" "$watch" > "$dir/expected-log"
for i in $(seq 50); do
  cmp -s "$dir/peer.log" "$dir/expected-log" && break
  sleep 0.1
done
if [ $status -ne 0 ] || [ -z "$index" ] || ! cmp -s "$dir/out" "$dir/expected-out" ||
   ! cmp -s "$dir/peer.log" "$dir/expected-log" || grep -qv '^trace' "$dir/err"; then
  printf 'FAIL: exit %s\n' "$status"
  diff "$dir/expected-out" "$dir/out"
  diff "$dir/expected-log" "$dir/peer.log"
  cat "$dir/err"
  exit 1
fi
# The peer ended once the add-on let go of it, and left nothing in the DDE folder.
[ -z "$(ls -A "$dir/dde")" ] || { echo "FAIL: left in the DDE folder: $(ls -A "$dir/dde")"; exit 1; }
echo PASS
