/* The keyword types of the cast grammar against what a program declares: a `_Bool` (the
   DWARF 2 reader gives it a base type of its own), a plain `char` above 127 (unsigned on
   ARM), and a bit-field of an enumeration with negative values (signed, as C's is). */
enum colour { RED = -3, GREEN = 0, BLUE = 5 };

struct paint {
    enum colour col : 4;
    unsigned int rest : 4;
};

_Bool flag = 1;
unsigned int word = 0x01020304u;
char high = (char)254;
struct paint paint = {RED, 9};
int top = 7;
const unsigned int rom_word = 0xCAFEF00Du; /* in flash, where a download puts it */

int main(void)
{
    top += flag + high + paint.col;
    return top;
}
