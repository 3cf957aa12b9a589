/* The board's shared state: globals declared here and defined in board.c, the status
   word's bit-fields, and a helper that board.c and control.c both inline. */
#ifndef BOARD_H
#define BOARD_H

typedef int int32_t;
typedef unsigned int uint32_t;

/* Signed and unsigned bit-fields; level goes through a typedef of a signed type. */
struct status_bits {
    int32_t level : 4;
    uint32_t ready : 1;
    uint32_t mode : 3;
    signed char trim : 3;
    _Bool fault : 1;
    uint32_t spare : 20;
};
typedef struct status_bits status_t;

struct sensor_config {
    unsigned short id;
    int32_t offset;
    int32_t gain[4];
};

typedef int32_t (*handler_fn)(int32_t value);

extern volatile int32_t board_ticks;
extern struct sensor_config board_config;
extern status_t board_status;
extern _Bool board_ready;
extern int32_t grid[2][3];
extern handler_fn current_handler;
extern const char board_name[];

extern volatile uint32_t clamp_events;

/* Counts the values it had to limit, which also keeps its inlined copies in the debug
   information at -O1. */
static inline int32_t clamp_level(int32_t value, int32_t low, int32_t high)
{
    int32_t limited = value;
    if (limited < low)
        limited = low;
    else if (limited > high)
        limited = high;
    clamp_events += limited != value;
    return limited;
}

int32_t board_poll(int32_t limit);
int32_t board_scale(int32_t value);
int32_t control_step(int32_t target);
int32_t control_filter(int32_t sample);

#endif
