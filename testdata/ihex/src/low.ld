/* Linked just below the first 64 KB page break, so that the image crosses it: its HEX
   file needs an extended segment address record, and its start address record is CS:IP. */
MEMORY
{
    ROM (rx)  : ORIGIN = 0x0000FF00, LENGTH = 64K
    RAM (rwx) : ORIGIN = 0x00040000, LENGTH = 4K
}
ENTRY(_start)
SECTIONS
{
    .text : { *(.text.startup) *(.text .text.*) *(.glue_7 .glue_7t .vfp11_veneer .v4_bx) } > ROM
    .rodata : { *(.rodata .rodata.*) } > ROM
    .data : { __data_start = .; *(.data .data.*) . = ALIGN(4); __data_end = .; } > RAM AT > ROM
    __data_load = LOADADDR(.data);
    .bss (NOLOAD) : { *(.bss .bss.* COMMON) } > RAM
    __stack_top = ORIGIN(RAM) + LENGTH(RAM);
    /DISCARD/ : { *(.ARM.exidx*) *(.ARM.attributes) *(.comment) }
}
