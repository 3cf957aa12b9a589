/* Sample firmware, Thumb state: leaf functions with parameters and locals. */
#include "sample.h"

static unsigned short thumb_calls;
long scale_factor = 7;

unsigned char thumb_checksum(const unsigned char *data, unsigned int length)
{
    unsigned char sum = 0;
    unsigned int i;
    thumb_calls++;
    for (i = 0; i < length; i++)
        sum = (unsigned char)(sum + data[i]);
    return sum;
}

int thumb_scale(int value, int factor)
{
    union {
        int whole;
        unsigned char bytes[4];
    } cell;
    cell.whole = value * factor + (int)scale_factor;
    return cell.whole + cell.bytes[0];
}
