#ifndef SAMPLE_H
#define SAMPLE_H

enum motor_mode { MODE_IDLE, MODE_RUN, MODE_FAULT };

typedef struct motor {
    unsigned char id;
    int speed;
    enum motor_mode mode;
    unsigned int flags : 3;
    unsigned int fault : 1;
} motor_t;

extern struct motor motors[2];
extern volatile unsigned int tick_count;

unsigned char thumb_checksum(const unsigned char *data, unsigned int length);
int thumb_scale(int value, int factor);

#endif
