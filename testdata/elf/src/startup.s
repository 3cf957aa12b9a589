@ Reset entry of the sample firmware: set up the stack, copy .data from its load
@ address in flash to its run address in RAM, clear .bss, call main.
        .syntax unified
        .arm
        .section .vectors, "ax"
        .global _start
_start:
        ldr     sp, =__stack_top
        ldr     r0, =__data_load
        ldr     r1, =__data_start
        ldr     r2, =__data_end
1:      cmp     r1, r2
        ldrlo   r3, [r0], #4
        strlo   r3, [r1], #4
        blo     1b
        ldr     r1, =__bss_start
        ldr     r2, =__bss_end
        mov     r3, #0
2:      cmp     r1, r2
        strlo   r3, [r1], #4
        blo     2b
        ldr     r0, =main
        mov     lr, pc
        bx      r0
3:      b       3b
        .ltorg
