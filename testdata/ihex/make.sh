#!/usr/bin/env bash
# Makes the sample memory images of testdata/ihex from src/ with the ARM cross tool chain
# and srecord (scripts/setup.sh --cross installs them). The outputs are committed, so
# builds and tests never need those tools; run this only to change the samples.
#
#   arm-low.elf, arm-low.hex      linked at 0xFF00 across the first 64 KB page break:
#                                 an extended segment address record, a CS:IP start record
#   arm-flash.elf, arm-flash.hex  linked at 0x0800FF80 across a page break, .data loaded
#                                 after a gap: extended linear address records, two ranges,
#                                 a 32-bit linear start record
#   NAME.hex      objcopy -O ihex of NAME.elf (16-byte data records)
#   NAME-32.hex   the same image rewritten by srec_cat with 32-byte data records
#   NAME.bin      objcopy -I ihex -O binary of NAME.hex: the image from its lowest address,
#                 gaps filled with zero
#   images.txt    per image: name, lowest address, start address (the ELF entry)
#   NAME.qel.hex  what the system's own HEX writer writes for the image (the tests write it
#                 when QEL_UPDATE_TESTDATA=1); checked here against objcopy and srec_cmp
set -euo pipefail
cd "$(dirname "$0")"
CC=arm-none-eabi-gcc
OBJCOPY=arm-none-eabi-objcopy
flags=(-mcpu=arm7tdmi -marm -O1 -g0 -ffreestanding -fno-common)
: > images.txt
for name in low flash; do
    tmp=$(mktemp -d)
    $CC "${flags[@]}" -c src/startup.s -o "$tmp/startup.o"
    $CC "${flags[@]}" -c src/image.c -o "$tmp/image.o"
    $CC "${flags[@]}" -nostdlib -nostartfiles -T "src/$name.ld" "$tmp/startup.o" "$tmp/image.o" \
        -Wl,--build-id=none -o "arm-$name.elf"
    rm -rf "$tmp"
    $OBJCOPY -O ihex "arm-$name.elf" "arm-$name.hex"
    srec_cat "arm-$name.hex" -intel -o "arm-$name-32.hex" -intel -obs=32 -disable=header
    $OBJCOPY -I ihex -O binary "arm-$name.hex" "arm-$name.bin"
    lowest=$(srec_info "arm-$name.hex" -intel | sed -n 's/^Data: *\([0-9A-F]*\) .*/\1/p')
    entry=$(arm-none-eabi-readelf -h "arm-$name.elf" | sed -n 's/.*Entry point address: *0x\([0-9a-f]*\).*/\1/p')
    printf 'arm-%s %08X %08X\n' "$name" "0x$lowest" "0x$entry" >> images.txt
done

# The system's own output must be what objcopy and srecord read as the same image.
for golden in *.qel.hex; do
    [ -e "$golden" ] || continue
    name=${golden%.qel.hex}
    $OBJCOPY -I ihex -O binary "$golden" "/tmp/$name.qel.bin"
    cmp "/tmp/$name.qel.bin" "$name.bin"
    srec_cmp "$golden" -intel "$name.hex" -intel
    rm -f "/tmp/$name.qel.bin"
done
ls -l arm-* images.txt
