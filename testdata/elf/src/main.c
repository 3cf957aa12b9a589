/* Sample firmware, ARM state: globals, module statics, a struct, an enum, a function
   static, nested blocks and calls into the Thumb module. */
#include "sample.h"

struct motor motors[2] = {{1, 100, MODE_IDLE}, {2, 200, MODE_RUN}};
volatile unsigned int tick_count;
const char banner[] = "sample firmware";
static int module_counter = 3;
unsigned char rx_buffer[64];

static int clamp(int value, int low, int high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

int main(void)
{
    static int runs;
    int i;
    runs++;
    for (i = 0; i < 2; i++) {
        int speed = clamp(motors[i].speed + module_counter, 0, 1000);
        motors[i].speed = speed;
        {
            unsigned char checksum = thumb_checksum(rx_buffer, sizeof rx_buffer);
            motors[i].mode = checksum ? MODE_RUN : MODE_IDLE;
        }
    }
    tick_count += thumb_scale(runs, 3);
    return banner[0];
}
