#!/bin/sh
# qelhosttasking_test.sh QELHOST SAMPLE DIR
#
# Loads a copy of the Tasking sample SAMPLE (testdata/tasking/NAME.out) in DIR through
# qelhost, every module read, and compares each block of SAMPLE.expect with what qelhost
# prints: "== TABLE" with `qelhost load --modules --rows TABLE`, "== blocks" with the
# download blocks of `qelhost dump`, "== status" with the status of a load that fails
# (which must leave no symbol database). The first load builds the database and must
# report a program of kind 1; the tables are read from loads that reuse it.
set -u
qelhost=$1
sample=$2
dir=$3
rm -rf "$dir"
mkdir -p "$dir"
cp "$sample" "$dir/"
name=$(basename "$sample")
file="$(cd "$dir" && pwd)/$name"
expect="$sample.expect"
failed=0

"$qelhost" load "$file" --dbdir "$dir/db" >"$dir/first" 2>/dev/null
if ! grep -q '^== status$' "$expect" && ! grep -q "^program	1	" "$dir/first"; then
    echo "$name: the load does not report a Tasking program (kind 1)"
    failed=1
fi
for table in $(sed -n 's/^== //p' "$expect"); do
    awk -v t="$table" '/^== /{on = ($0 == "== " t); next} on' "$expect" >"$dir/want.$table"
    case $table in
    status)
        "$qelhost" load "$file" --rows Sections --dbdir "$dir/db" 2>/dev/null >"$dir/got.$table"
        if [ -n "$(find "$dir/db" -name '*.mdb' 2>/dev/null)" ]; then
            echo "$name: the failed load left a symbol database"
            failed=1
        fi
        ;;
    blocks)
        "$qelhost" dump "$file" 2>/dev/null | grep '^qelhost:   block' >"$dir/got.$table"
        ;;
    *)
        if ! grep -q "^database	built	" "$dir/first"; then
            echo "$name: the first load built no database"
            failed=1
        fi
        "$qelhost" load "$file" --modules --rows "$table" --dbdir "$dir/db" 2>/dev/null |
            awk -F '\t' -v OFS='\t' -v t="$table" 't == "Program" && NR > 1 {$4 = "@TIME@"} {print}' |
            sed "s|$file|@PATH@|g" >"$dir/got.$table"
        ;;
    esac
    if ! diff -u "$dir/want.$table" "$dir/got.$table"; then
        echo "$name: $table differs"
        failed=1
    fi
done
exit $failed
