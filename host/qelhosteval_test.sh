#!/bin/sh
# qelhosteval_test.sh QELHOST ELFDIR WORKDIR: qelhost eval on the watch programs and their
# cores gives gdb's value for every expression of ELFDIR/watch-eval.txt (CONTEXT, EXPR,
# ANSWER a line): integers modulo 2^32, floating values at the digits gdb printed, and no
# value where gdb has "<optimized out>". A core's program is its name up to its stop's
# name ("watch-O0-frame1.core": watch-O0.elf). The databases go to WORKDIR (made anew).
# Prints each difference and fails, or passes silently.
#
# One difference is the system's own and stays: a local that the compiler gave no location
# at all is not in the symbol database, so it is no symbol where gdb says "<optimized out>".
# gdb's true and false are 1 and 0.
set -u
qelhost=$1 elf=$2 work=$3
oracle=$elf/watch-eval.txt
rm -rf "$work" && mkdir -p "$work" || exit 1
cp "$elf"/watch-O0.elf "$elf"/watch-O1.elf "$elf"/keywords.elf "$work"/ || exit 1
failed=0
tab=$(printf '\t')

for context in $(cut -f1 "$oracle" | sort -u); do
    case $context in
    *.core) program=$(echo "$context" | sed 's/-[a-z]*[0-9]*\.core$/.elf/'); set -- --core "$elf/$context" ;;
    *) program=$context; set -- ;;
    esac
    grep "^$context$tab" "$oracle" > "$work/$context.expect"
    while IFS="$tab" read -r c text answer; do
        set -- "$@" "$text"
    done < "$work/$context.expect"
    "$qelhost" eval "$work/$program" "$@" > "$work/$context.out" 2> "$work/$context.err"
    status=$?
    if [ $status -ne 0 ] || [ "$(wc -l < "$work/$context.out")" -ne "$(wc -l < "$work/$context.expect")" ]; then
        echo "FAIL: $context: qelhost eval ended with $status and $(wc -l < "$work/$context.out") answers"
        failed=1
        continue
    fi
    paste "$work/$context.expect" "$work/$context.out" | awk -F'\t' '
        function hex(text,   value, i, c) {
            value = 0
            for (i = 3; i <= length(text); i++) {
                c = index("0123456789abcdef", tolower(substr(text, i, 1)))
                if (c == 0) break
                value = value * 16 + c - 1
            }
            return value
        }
        function digits(text,   mantissa) {
            mantissa = text
            sub(/^-/, "", mantissa); sub(/[eE].*/, "", mantissa); sub(/\./, "", mantissa); sub(/^0+/, "", mantissa)
            return length(mantissa) > 0 ? length(mantissa) : 1
        }
        {
            context = $1; text = $2; gdb = $3; ours = $5
            if (text != $4) { print "FAIL: " context ": answers out of order at " text; bad = 1; next }
            if (gdb ~ /^<optimized out>/) {
                if (ours != "no value" && ours != "Expression is no Symbol") { print "FAIL: " context ": " text ": gdb <optimized out>, qelhost " ours; bad = 1 }
                next
            }
            number = gdb
            sub(/^\(.*\) /, "", number); sub(/ .*/, "", number)
            if (number == "true") number = 1
            else if (number == "false") number = 0
            if (ours !~ /^-?[0-9]/) { print "FAIL: " context ": " text ": gdb " gdb ", qelhost " ours; bad = 1; next }
            if (number ~ /^0x/) number = hex(number)
            else if (number ~ /[.eE]/ || ours ~ /[.eE]/) {
                format = "%." (digits(number) - 1) "e"
                if (sprintf(format, number + 0) != sprintf(format, ours + 0)) {
                    print "FAIL: " context ": " text ": gdb " gdb ", qelhost " ours; bad = 1
                }
                next
            }
            if ((number - ours) % 4294967296 != 0) { print "FAIL: " context ": " text ": gdb " gdb ", qelhost " ours; bad = 1 }
        }
        END { exit bad }' || failed=1
done
exit $failed
