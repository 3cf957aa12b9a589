#!/bin/sh
# qelhostparse_test.sh CASE QELHOST: one behaviour of qelhost parse, its output compared
# byte for byte. Prints what is wrong and fails, or passes silently.
set -u
case=$1 qelhost=$2
tab=$(printf '\t')

# expect EXPECTED-STATUS EXPECTED-OUTPUT ARGUMENT...: runs qelhost parse with the
# arguments (standard input from $input) and compares.
expect() {
  status=$1 expected=$2
  shift 2
  actual=$(printf '%s' "${input-}" | "$qelhost" parse "$@" 2>/dev/null; echo "exit $?")
  [ -z "$expected" ] || expected="$expected
"
  if [ "$actual" != "${expected}exit $status" ]; then
    printf 'FAIL: qelhost parse %s\n--- expected\n%sexit %s\n--- actual\n%s\n' "$*" "$expected" "$status" "$actual"
    exit 1
  fi
}

case $case in
PrintsATreePerTextAndTheReportOfARefusedOne)
  expect 1 '(260 (297 (46 a b) 2) c)
(295 (296 K:267 (42 - K:42)) p)
(x = 1) (4)
   ^
parse error
(294 a F:0.5 (38 - (297 b 4294967295)))' 'a.b[2]->c' '(char **)p' 'x = 1' 'a ? .5 : &b[0x100000000]'
  ;;
TakesTheNamesGivenAsTypesAndReadsTextsFromStandardInput)
  input='(T)-x
(struct motor *)p
motor.T
(T)
' expect 0 '(295 T:T (45 - x))
(295 (296 (275 motor -) K:42) p)
(46 motor T)
T
(295 K:291 y)' --type T --type motor - '(unsigned long)y'
  ;;
NormalisesTheTexts)
  expect 0 "?((raw)*0.5-10)${tab}${tab}(raw)*0.5-10
?(\"mod\",a + b)${tab}mod${tab}a + b
a + b${tab}${tab}" --normalise --mode 1 '?(fconvert("0.5,10",raw))' '?("mod",a  +	 b)' 'a  + b'
  ;;
WritesTheTraceToStandardErrorInMode1)
  trace=$("$qelhost" parse --mode 1 'a' 2>&1 >/dev/null)
  case $trace in
  "Starting parse"*"Next token is 284 (IDENTIFIER)"*"Now at end of input."*) ;;
  *) echo "FAIL: no trace: $trace"; exit 1 ;;
  esac
  ;;
RefusesBadUsage)
  expect 2 '' --mode 2 a
  expect 2 '' --type
  ;;
*)
  echo "no case $case"; exit 1 ;;
esac
