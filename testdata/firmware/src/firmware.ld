/* Flash at 0x80000, RAM at 0x40000000; .data runs in RAM and is loaded in flash after the
   code. The programs start at main: they are read, never run. */
MEMORY
{
    FLASH (rx)  : ORIGIN = 0x00080000, LENGTH = 512K
    RAM   (rwx) : ORIGIN = 0x40000000, LENGTH = 64K
}
ENTRY(main)
SECTIONS
{
    .text : { *(.text .text.*) *(.glue_7 .glue_7t .vfp11_veneer .v4_bx) } > FLASH
    .rodata : { *(.rodata .rodata.*) } > FLASH
    .ARM.exidx : { *(.ARM.exidx*) } > FLASH
    .data : { *(.data .data.*) . = ALIGN(4); } > RAM AT > FLASH
    .bss (NOLOAD) : { *(.bss .bss.* COMMON) . = ALIGN(4); } > RAM
}
