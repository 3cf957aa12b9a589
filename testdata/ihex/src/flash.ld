/* Linked into flash at 0x0800xxxx across a 64 KB page break, with the initialised data
   loaded after a gap: its HEX file needs extended linear address records, holds two
   ranges, and its start address record is a 32-bit linear address. */
MEMORY
{
    FLASH (rx) : ORIGIN = 0x0800FF80, LENGTH = 64K
    RAM (rwx)  : ORIGIN = 0x20000000, LENGTH = 4K
}
ENTRY(_start)
SECTIONS
{
    .text : { *(.text.startup) *(.text .text.*) *(.glue_7 .glue_7t .vfp11_veneer .v4_bx) } > FLASH
    .rodata : { *(.rodata .rodata.*) } > FLASH
    .data : AT(ALIGN(LOADADDR(.rodata) + SIZEOF(.rodata), 0x100) + 0x40) { __data_start = .; *(.data .data.*) . = ALIGN(4); __data_end = .; } > RAM
    __data_load = LOADADDR(.data);
    .bss (NOLOAD) : { *(.bss .bss.* COMMON) } > RAM
    __stack_top = ORIGIN(RAM) + LENGTH(RAM);
    /DISCARD/ : { *(.ARM.exidx*) *(.ARM.attributes) *(.comment) }
}
