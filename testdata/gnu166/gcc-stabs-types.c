/* Types whose stabs strings the parser tests read; compiled, never run. */
struct point {
    int x;
    int y;
};

union word {
    unsigned short half[2];
    long whole;
    unsigned char bytes[4];
};

struct flags {
    unsigned int ready : 1;
    unsigned int mode : 3;
    int level : 4;
    unsigned int rest : 8;
};

enum colour { red, green = 5, blue = -2 };

typedef int (*handler)(struct point *, char);

struct node {
    struct node *next;
    handler call;
    enum colour tint;
    struct flags state;
    union word value;
    char name[12];
    short matrix[3][4];
};

struct node first_node;
struct point points[8];
handler handlers[4];
const char *names[2];
double scale;
float ratio;
unsigned long long big;
signed char tiny;
