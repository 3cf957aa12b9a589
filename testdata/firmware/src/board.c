/* Board module (ARM state): defines the globals of board.h, polls with a retry label and
   keeps nested counters that share names. */
#include "board.h"

volatile int32_t board_ticks;
struct sensor_config board_config = {7, -3, {1, 2, 3, 4}};
status_t board_status = {-2, 1, 5, -1, 0, 0};
_Bool board_ready;
int32_t grid[2][3] = {{1, 2, 3}, {4, 5, 6}};
handler_fn current_handler = board_scale;
const char board_name[] = "qel-board";
volatile uint32_t clamp_events;
static int32_t state_count;
static volatile _Bool poll_busy;

int32_t board_scale(int32_t value)
{
    static int32_t calls;
    calls++;
    return clamp_level(value * board_config.gain[calls & 3] + board_config.offset, -100, 100);
}

int32_t board_poll(int32_t limit)
{
    static int32_t calls;
    int32_t count = 0;
    int32_t tries = 0;
    calls++;
    poll_busy = 1;
retry:
    tries++;
    if (board_ticks < limit && tries < 3) {
        board_ticks++;
        goto retry;
    }
    {
        int32_t count = grid[tries & 1][tries % 3];
        static int32_t calls;
        calls += count;
        {
            int32_t count = calls + tries;
            state_count += count;
        }
        board_status.level = clamp_level(count, -8, 7);
    }
    for (int32_t row = 0; row < 2; row++) {
        for (int32_t col = 0; col < 3; col++)
            count += grid[row][col];
    }
    board_ready = count > limit;
    poll_busy = 0;
    return count + calls;
}
