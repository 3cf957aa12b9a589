/* Watch test program, Thumb state: a second module with a static of the same name as
   one in watch.c and a function static. */
#include "watch.h"

static int shared_name = 22;
const T *const first_link = &chain[0];

int watch2_counter(int step)
{
    static unsigned int counted = 7;
    counted += (unsigned int)step + (unsigned int)shared_name;
    return (int)counted + first_link->byte_t;
}
