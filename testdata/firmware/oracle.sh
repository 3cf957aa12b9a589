#!/usr/bin/env bash
# Writes beside each program of testdata/firmware what the real tools answer about it, for
# the tests to compare the symbol database against (README.md tells the files apart):
#   NAME.readelf-s.txt            arm-none-eabi-readelf -s
#   NAME.readelf-S.txt            arm-none-eabi-readelf -S -W
#   NAME.readelf-info.txt         arm-none-eabi-readelf --debug-dump=info
#   NAME.readelf-loc.txt          arm-none-eabi-readelf --debug-dump=loc
#   NAME.readelf-decodedline.txt  arm-none-eabi-readelf --debug-dump=decodedline
#   NAME.gdb.txt                  gdb-multiarch's answers to the commands of gdb-queries.py
#   NAME.gdb-break.txt            gdb-multiarch's `break FILE:LINE` of every line (gdb-queries.py
#                                 --breaks), for the programs of break_programs only
# Run make.sh first; the outputs are committed. gdb's warnings are not kept.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The -O0 programs have some 3900 line addresses each: asking about all of them would give 2.3 MB
# of answers per program, so only those of the first 6 units (m0000.c to m0005.c) are asked,
# addresses and lines alike.
declare -A line_units=([gen24-O0-arm]="--line-units 6" [gen24-O0-thumb]="--line-units 6")
# The breakpoints of every line are asked of the -O1 hand-written program only, whose lines
# have rows at shared addresses, in several modules and in a header.
break_programs=" handwritten-O1 "
for elf in *.elf; do
    name=${elf%.elf}
    arm-none-eabi-readelf -s "$elf" > "$name.readelf-s.txt"
    arm-none-eabi-readelf -S -W "$elf" > "$name.readelf-S.txt"
    arm-none-eabi-readelf --debug-dump=info "$elf" > "$name.readelf-info.txt"
    arm-none-eabi-readelf --debug-dump=loc "$elf" > "$name.readelf-loc.txt"
    arm-none-eabi-readelf --debug-dump=decodedline "$elf" > "$name.readelf-decodedline.txt"
    python3 gdb-queries.py "$name.readelf-info.txt" "$name.readelf-decodedline.txt" ${line_units[$name]:-} \
        > "$tmp/$name.queries"
    QEL_GDB_QUERIES=$tmp/$name.queries QEL_GDB_ANSWERS=$name.gdb.txt \
        gdb-multiarch -batch -nx -x gdb-answers.py "$elf" 2> /dev/null
    if [[ $break_programs == *" $name "* ]]; then
        python3 gdb-queries.py "$name.readelf-info.txt" "$name.readelf-decodedline.txt" --breaks > "$tmp/$name.breaks"
        QEL_GDB_QUERIES=$tmp/$name.breaks QEL_GDB_ANSWERS=$name.gdb-break.txt \
            gdb-multiarch -batch -nx -x gdb-answers.py "$elf" 2> /dev/null
    fi
done
ls -l ./*.txt
