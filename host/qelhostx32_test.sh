#!/bin/sh
# qelhostx32_test.sh QELHOST QELX32PEER DIR: a session whose add-on links with X32, played
# by qelx32peer as the configured tool, on the sample program. The peer is started, waited
# for and connected; its log holds what the add-on sent, and the host what the peer asked
# for. The addresses of main.c's line 29 are those that readelf decoded
# (testdata/elf/arm7-mixed.decodedline.txt, its command in its first line).
set -u
qelhost=$1 peer=$2 dir=$3
rm -rf "$dir" && mkdir -p "$dir/dde" && chmod 700 "$dir/dde" || exit 1
source=$(cd "$(dirname "$0")/.." && pwd)
export QEL_REGISTRY="$dir/registry" QEL_DDE_DIR="$dir/dde"
export QEL_X32PEER_LOG="$dir/peer.log" QEL_X32PEER_SCRIPT="$dir/peer.script"
tab=$(printf '\t')
addon={6FEE6D70-9B3F-46D9-A79F-8466A2CCF473}

# The statement rows of main.c line 29, as decimal addresses.
set -- $(awk '$1 == "main.c" && $2 == 29 && NF == 4 && $4 == "x" { print $3 }' \
  "$source/testdata/elf/arm7-mixed.decodedline.txt")
[ $# -eq 2 ] || { echo "FAIL: line 29 has $# statements in the readelf output"; exit 1; }
first=$(printf '%d' "$1") second=$(printf '%d' "$2")

printf '%s\n' 'XDebug -g' 'XDebug -s C:\src\main.c 29' 'XDebug -v a b #tick_count' 'sleep 2500' 'drop' \
  > "$QEL_X32PEER_SCRIPT"
cat > "$dir/script" <<END
profile Tools CaseTool/BSTR bstr:$peer
double StdQelWatchWin
start
request-load $source/testdata/elf/arm7-mixed.elf
target stop 0x9c
exec -g $addon 2
pump 1000
addon
host
views
exec -g $addon 4 u4:1 bstr:main.c u4:25 u4:1
exec -g $addon 4 u4:0
pump 3500
addon
pump 500
exec -g $addon 2
addon
end
END
"$qelhost" session "$dir/script" > "$dir/raw-out" 2> "$dir/err"
status=$?
# The add-on's own breakpoint request at connecting and the peer's first request come from
# two threads, so the host may record them in either order: compare them in one order.
awk '/^breakpoints (3 u4:16|7)$/ { held[++n] = $0; next }
     { if (n) { if (n == 2 && held[1] > held[2]) print held[2] "\n" held[1]; else for (i = 1; i <= n; i++) print held[i]; n = 0 } print }
     END { for (i = 1; i <= n; i++) print held[i] }' "$dir/raw-out" > "$dir/out"

main=/work/main/testdata/elf/src/main.c
checked() { printf 'name\tQELCaseToolSupport\ndescription\tSupport of Case Tools Connection\nversion\tSupport of Case Tools Connection V3.0.0.1\ninitialised\t1\nevents\t1\t0\t0\t0\t0\nchecked\t%s\n' "$1"; }
{
  printf '> profile Tools CaseTool/BSTR bstr:%s\n> double StdQelWatchWin\n> start\n' "$peer"
  printf '> request-load %s\nload %s 0 0\n' "$source/testdata/elf/arm7-mixed.elf" "$source/testdata/elf/arm7-mixed.elf"
  sed -n '/^0\t/p' "$dir/out"
  printf '> target stop 0x9c\n> exec -g %s 2\nresult 0x00000000\n> pump 1000\n> addon\n' "$addon"
  checked 1
  printf '> host\nstores 0\nbreakpoints 3 u4:16\nbreakpoints 7\n'
  printf "breakpoints 3 u4:2 bool:1 bstr:\"'main {%s} .29';main.c;1;8;;\" i4:1 u4:%s u4:12 i4:1 u4:%s u4:12\n" \
    "$main" "$first" "$second"
  printf '> views\nview StdQelProgWin %s\n' "$main"
  sed -n '/^  command /p' "$dir/out"
  printf 'view StdQelWatchWin ""\n  call AddWatchSymbol 2\n'
  printf '> exec -g %s 4 u4:1 bstr:main.c u4:25 u4:1\nresult 0x00000000\n' "$addon"
  printf '> exec -g %s 4 u4:0\nresult 0x00000000\n> pump 3500\n> addon\n' "$addon"
  checked 0
  printf '> pump 500\n> exec -g %s 2\nresult 0x00000000\n> addon\n' "$addon"
  checked 1
  printf '> end\n'
} > "$dir/expected-out"
# The breakpoint that the peer set comes back to it from the host's breakpoint list through
# Korvex, with the program's whole path; the add-on's next list replaces it.
printf 'Debug -d %s 29\nDebug -s %s 29\nDebug -r %s 29\nDebug -c\nDebug -s main.c 25\nDebug -r main.c 25\nDebug -c\nDebug -d %s 29\n' \
  "$main" "$main" "$main" "$main" > "$dir/expected-log"
# The log is complete once the second peer has taken the add-on's position; a loaded
# machine may take its time.
for i in $(seq 200); do
  cmp -s "$dir/peer.log" "$dir/expected-log" && break
  sleep 0.1
done
if [ $status -ne 0 ] || ! cmp -s "$dir/out" "$dir/expected-out" || ! cmp -s "$dir/peer.log" "$dir/expected-log" ||
   grep -qv '^trace' "$dir/err"; then
  printf 'FAIL: exit %s\n' "$status"
  diff "$dir/expected-out" "$dir/out"
  diff "$dir/expected-log" "$dir/peer.log"
  cat "$dir/err"
  exit 1
fi
# The peers end once the add-on has let go of them, and leave nothing in the DDE folder.
for i in $(seq 50); do
  [ -z "$(ls -A "$dir/dde")" ] && break
  sleep 0.1
done
[ -z "$(ls -A "$dir/dde")" ] || { echo "FAIL: left in the DDE folder: $(ls -A "$dir/dde")"; exit 1; }
