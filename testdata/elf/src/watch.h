/* Types shared by the watch test programs. */
#ifndef WATCH_H
#define WATCH_H

typedef unsigned char byte_t;
typedef struct T T;

enum level { LEVEL_LOW = 1, LEVEL_SAME = 1, LEVEL_HIGH = 100000, LEVEL_NEG = -5 };

/* Bit-fields of every width from 1 to 9, signed and unsigned: `cross` crosses a byte
   boundary, `spill` goes to a second storage unit. */
struct bits {
    unsigned int u1 : 1;
    signed int s2 : 2;
    unsigned int u3 : 3;
    signed int s4 : 4;
    unsigned int u5 : 5;
    signed int cross : 6;
    unsigned int u7 : 7;
    signed int s8 : 8;
    unsigned int spill : 9;
    signed int s9 : 9;
    unsigned int u9 : 9;
    signed int s1 : 1;
};

struct point {
    short x;
    short y;
};

struct rect {
    struct point corner[2];
    struct {
        unsigned char red, green, blue;
    } colour;
};

/* A member named like a typedef. */
struct T {
    int byte_t;
    T *next;
    enum level level;
};

union number {
    int i;
    float f;
    unsigned char b[4];
};

struct config {
    const char *name;
    unsigned short version;
    struct bits flags;
    struct rect area;
    union number value;
    double scale;
    long long serial;
};

extern struct config config;
extern T chain[3];
extern const char *long_text;
extern const char *short_text;
extern int watch2_counter(int step);
extern int watch_frame(int count, struct point where, const struct config *cfg, char tag);

#endif
