#!/bin/sh
# qelhostrows_test.sh QELHOST DIR SOURCE [--write]
#
# The rows that the readers write, kept as they are while the writing path changes: loads a
# copy of each program below through qelhost with every module read, takes the rows of every
# table of its symbol database (`qelhost load --modules --rows TABLE`) and compares a SHA-256
# of each program's tables with SOURCE/testdata/rows/loaded-rows.sha256. With --write it
# writes that file instead, from the build at hand.
#
# The rows are the same wherever the copy lies and whenever it was made: the copy's folder
# stands as DIR, and the two dates (the database's creation and the program's change) as
# DATE.
set -u
qelhost=$1
dir=$2
source=$3
mode=${4:-check}
digests="$source/testdata/rows/loaded-rows.sha256"

programs="
elf/arm7-be.elf elf/arm7-cpp-comdat.elf elf/arm7-mixed-v2line.elf elf/arm7-mixed.elf elf/arm7-newlib.elf
elf/arm7-sections.elf elf/dwarf1-deep.elf elf/dwarf1-sample.elf elf/dwarf1-units.elf elf/dwarf2-edges.elf
elf/keywords.elf elf/watch-O0.elf elf/watch-O1.elf
firmware/gen24-O0-arm.elf firmware/gen24-O0-thumb.elf firmware/gen24-O1-arm.elf firmware/gen24-O1-thumb.elf
firmware/handwritten-O0.elf firmware/handwritten-O1.elf firmware/handwritten-O0-dwarf1.elf
firmware/handwritten-O0-dwarf3.elf
vared/vared-valid.elf vared/vared-missingfunction.elf
eomf/c-near.obj eomf/deplst-mixed.obj eomf/shared-code.obj eomf/truncated-module.obj
gnu166/full.a166 gnu166/full-swapped.a166 gnu166/full-trailer8.a166 gnu166/model0-code66.a166
gnu166/model1-codeCA.a166 gnu166/model2-codeCB.a166 gnu166/model4-codeFD.a166
tasking/modules.out tasking/sections-v3.out tasking/sections-v4.out tasking/shared-code.out
"

rm -rf "$dir"
mkdir -p "$dir/programs"
absolute="$(cd "$dir" && pwd)"
got="$dir/got.sha256"
: >"$got"
for program in $programs; do
    name=$(echo "$program" | tr / -)
    copy="$absolute/programs/$name"
    cp "$source/testdata/$program" "$copy"
    tables=$("$qelhost" load "$copy" --modules --dbdir "$dir/db" 2>/dev/null | sed -n 's/^count\t\([^\t]*\)\t.*/\1/p')
    if [ -z "$tables" ]; then
        echo "$program: qelhost loaded no symbol database"
        tables=none
    fi
    for table in $tables; do
        echo "== $table"
        [ "$table" = none ] || "$qelhost" load "$copy" --modules --rows "$table" --dbdir "$dir/db" 2>/dev/null
    done | sed -e "s#$absolute#DIR#g" \
        -e '/^== Version$/,/^== /s/\t[0-9][0-9]*\.[0-9][0-9]*$/\tDATE/' \
        -e '/^== Program$/,/^== /s/\t[0-9][0-9]*\.[0-9][0-9]*\tDIR/\tDATE\tDIR/' >"$dir/$name.rows"
    echo "$(sha256sum <"$dir/$name.rows" | cut -d' ' -f1)  $program" >>"$got"
done

if [ "$mode" = --write ]; then
    mkdir -p "$(dirname "$digests")"
    cp "$got" "$digests"
    echo "wrote $digests"
    exit 0
fi
if ! diff "$digests" "$got" >"$dir/differences"; then
    echo "the rows of these programs differ from $digests (their rows are in $dir/NAME.rows):"
    cat "$dir/differences"
    exit 1
fi
echo "the rows of $(wc -l <"$got") programs are as they were"
