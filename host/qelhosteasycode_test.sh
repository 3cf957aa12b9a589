#!/bin/sh
# qelhosteasycode_test.sh QELHOST DIR: a session whose add-on links with EasyCODE, played
# by the session's EasyCODE double, on the sample program: no EasyCODE first (the link's
# trace tells the class is not registered), then the double, what it received, the
# tool's events and their answers, out arguments included.
set -u
qelhost=$1 dir=$2
rm -rf "$dir" && mkdir -p "$dir" || exit 1
source=$(cd "$(dirname "$0")/.." && pwd)
export QEL_REGISTRY="$dir/registry"
addon={6FEE6D70-9B3F-46D9-A79F-8466A2CCF473}
program=$source/testdata/elf/arm7-mixed.elf

cat > "$dir/script" <<END
easycode
profile Tools CaseTool/BSTR "bstr:EasyCODE Debug Interface"
profile System DATABASE_SPECIAL/BOOL bool:true
profile System DATABASE_DIRECTORY/BSTR bstr:$dir
start
exec -g $addon 2
addon
traces
easycode on
exec -g $addon 2
addon
easycode
request-load $program
exec -g $addon 4 u4:1 bstr:main.c u4:29 u4:1
easycode event 5
exec -g $addon 3 u4:1 bstr:main.c u4:30
easycode fail 2:10 0x80004005
easycode event 2:8
easycode event 2:2 bstr:main.c i4:3 bstr:garbage i4:77
easycode event 16
easycode
easycode off
exec -g $addon 2
easycode
end
END
"$qelhost" session "$dir/script" > "$dir/out" 2> "$dir/err"
status=$?

checked() { printf 'name\tQELCaseToolSupport\ndescription\tSupport of Case Tools Connection\nversion\tSupport of Case Tools Connection V3.0.0.1\ninitialised\t1\nevents\t1\t0\t0\t0\t0\nchecked\t%s\n' "$1"; }
{
  printf '> easycode\n> profile Tools CaseTool/BSTR "bstr:EasyCODE Debug Interface"\n'
  printf '> profile System DATABASE_SPECIAL/BOOL bool:true\n> profile System DATABASE_DIRECTORY/BSTR bstr:%s\n' "$dir"
  printf '> start\n> exec -g %s 2\nresult 0x00000000\n> addon\n' "$addon"
  checked 0
  printf '> traces\n'
  printf 'trace\t2\tEasyCode Add-on\tCEcDebugClient():\\nError creating EasyCODE Debug object:\\nhResult = m_ptrEcDebug.CoCreateInstance(CLSID_EcDebug);\\nhResult==80040154\n'
  printf '> easycode on\n> exec -g %s 2\nresult 0x00000000\n> addon\n' "$addon"
  checked 1
  printf '> easycode\ncall 21 bstr:"QEL Debugee"\ncall 17\n'
  printf '> request-load %s\nload %s 0 0\n' "$program" "$program"
  sed -n '/^0\t/p' "$dir/out"
  printf '> exec -g %s 4 u4:1 bstr:main.c u4:29 u4:1\nresult 0x00000000\n' "$addon"
  printf '> easycode event 5\nresult 0x00000000\n'
  printf '> exec -g %s 3 u4:1 bstr:main.c u4:30\nresult 0x00000000\n' "$addon"
  printf '> easycode fail 2:10 0x80004005\n> easycode event 2:8\nresult 0x80004005\n'
  printf '> easycode event 2:2 bstr:main.c i4:3 bstr:garbage i4:77\nresult 0x80004005\nout 0 bstr:""\nout 1 i4:0\n'
  printf '> easycode event 16\nresult 0x00000000\n'
  # The breakpoint list, the position after the step over (slot 12) and the run mode.
  printf '> easycode\ncall 32 i4:1\ncall 26 bstr:main.c i4:29 i4:1 i4:1\ncall 12 bstr:main.c i4:30\ncall 2:10 i4:1\n'
  # The link ends (slot 15); without the class none comes about.
  printf '> easycode off\n> exec -g %s 2\nresult 0x00000000\n> easycode\ncall 15\n> end\n' "$addon"
} > "$dir/expected-out"
if [ $status -ne 0 ] || ! cmp -s "$dir/out" "$dir/expected-out" || grep -qv '^trace' "$dir/err"; then
  printf 'FAIL: exit %s\n' "$status"
  diff "$dir/expected-out" "$dir/out"
  cat "$dir/err"
  exit 1
fi
echo PASS
