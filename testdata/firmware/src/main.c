/* Entry of the hand-written firmware (ARM state): drives every module. */
#include "board.h"
#include "motor.h"

volatile int32_t result;

int main(void)
{
    int32_t total = 0;
    for (;;) {
        total += board_poll(5);
        total += control_step(total & 15);
        total += current_handler(total);
        total += motor_run(4);
        result = total + board_name[0];
    }
}

/* A union, whose members all start at offset 0 (DWARF gives them no member location). */
union sample_word {
    uint32_t word;
    unsigned char bytes[4];
    status_t bits;
};

union sample_word main_word;
