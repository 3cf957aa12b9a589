@ Reset entry of the sample images: copies .data from its load address, then calls main.
        .syntax unified
        .arm
        .section .text.startup, "ax"
        .global _start
_start:
        ldr     r0, =__data_load
        ldr     r1, =__data_start
        ldr     r2, =__data_end
1:      cmp     r1, r2
        ldrlo   r3, [r0], #4
        strlo   r3, [r1], #4
        blo     1b
        ldr     sp, =__stack_top
        bl      main
2:      b       2b
        .pool
