/* Watch test program, ARM state: globals of every base type at their extreme values,
   bit-fields, nested structures, arrays, a union, pointers, an enumeration, and a
   function with parameters and locals of these kinds. */
#include "watch.h"

signed char g_schar = -128;
unsigned char g_uchar = 255;
char g_char = 'z';
short g_short = -32768;
unsigned short g_ushort = 65535;
int g_int = -2147483647 - 1;
unsigned int g_uint = 4294967295u;
long g_long = 2147483647;
unsigned long g_ulong = 4294967295ul;
long long g_llong = -9223372036854775807ll - 1;
unsigned long long g_ullong = 18446744073709551615ull;
float g_float = 3.40282347e+38f;
double g_double = -1.7976931348623157e+308;
byte_t g_byte = 0x5A;
enum level g_level = LEVEL_HIGH;

struct config config = {
    "watch",
    0x0102,
    {1, -2, 7, -8, 31, -32, 127, -128, 511, -256, 300, -1},
    {{{-1, 2}, {30000, -30000}}, {10, 20, 30}},
    {0x3F800000},
    0.5,
    1234567890123ll,
};

T chain[3] = {{1, &chain[1], LEVEL_LOW}, {2, &chain[2], LEVEL_SAME}, {3, 0, LEVEL_HIGH}};
short grid[3][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {-9, -10, -11, -12}};
union number g_number = {-1};
struct point origin;
int g_zero[4];

const char *long_text = "a text of more than thirty-two characters for the preview";
const char *short_text = "short";
struct config *config_ptr = &config;
int *int_ptr = &g_int;
T *chain_ptr = chain;

/* The same static name as in watch2.c. */
static int shared_name = 11;

int watch_frame(int count, struct point where, const struct config *cfg, char tag)
{
    static int calls;
    int total = count;
    unsigned char small = (unsigned char)tag;
    long long wide = cfg->serial;
    double ratio = cfg->scale;
    float part = (float)where.x;
    struct point local_point = where;
    struct bits local_bits = cfg->flags;
    T *link = chain_ptr;
    const char *text = long_text;
    short row[4] = {grid[1][0], grid[1][1], grid[1][2], grid[1][3]};
    enum level level = g_level;

    calls++;
    while (link != 0) {
        total += link->byte_t + row[link->byte_t];
        link = link->next;
    }
    total += small + (int)wide + (int)(ratio * part) + local_point.y + local_bits.s4 + text[0] + level;
    return total + calls + shared_name;
}

int main(void)
{
    struct point where = {3, 4};
    int result = watch_frame(5, where, &config, 'q');
    g_zero[0] = result + watch2_counter(2);
    origin.x = (short)g_zero[0];
    return 0;
}
