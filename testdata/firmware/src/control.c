/* Control module (Thumb state): uses board.c's globals through board.h, calls through a
   function pointer and keeps a static of the same name as board.c's. */
#include "board.h"

static int32_t state_count;
static handler_fn fallback = control_filter;
_Bool control_enabled = 1;

int32_t control_filter(int32_t sample)
{
    static int32_t calls;
    static _Bool first = 1;
    calls++;
    if (first) {
        first = 0;
        return sample;
    }
    return (sample + board_config.offset) / 2;
}

int32_t control_step(int32_t target)
{
    static int32_t calls;
    int32_t level = board_status.level;
    handler_fn handler = control_enabled ? current_handler : fallback;
    calls++;
    {
        int32_t level = clamp_level(target - board_status.level, -4, 4);
        {
            static int32_t calls;
            int32_t level2 = level * 2;
            calls += level2;
            state_count += calls;
        }
        board_status.mode = (uint32_t)level & 7;
        board_status.trim = (signed char)level;
    }
    board_status.fault = !board_ready;
    return handler(level + grid[1][2]) + state_count;
}
