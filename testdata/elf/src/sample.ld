/* Flash at 0, RAM at 0x40000000; .data runs in RAM and is loaded in flash after the
   code, so its load and run addresses differ. */
MEMORY
{
    FLASH (rx)  : ORIGIN = 0x00000000, LENGTH = 256K
    RAM   (rwx) : ORIGIN = 0x40000000, LENGTH = 64K
}
ENTRY(_start)
SECTIONS
{
    .vectors : { *(.vectors) } > FLASH
    .text : { *(.text .text.*) *(.glue_7 .glue_7t .vfp11_veneer .v4_bx) } > FLASH
    .rodata : { *(.rodata .rodata.*) } > FLASH
    .ARM.exidx : { *(.ARM.exidx*) } > FLASH
    .data : { __data_start = .; *(.data .data.*) . = ALIGN(4); __data_end = .; } > RAM AT > FLASH
    __data_load = LOADADDR(.data);
    .bss (NOLOAD) : { __bss_start = .; *(.bss .bss.* COMMON) . = ALIGN(4); __bss_end = .; } > RAM
    __stack_top = ORIGIN(RAM) + LENGTH(RAM);
}
