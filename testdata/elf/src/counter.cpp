// A C++ unit whose inline member functions gcc puts in sections of their own (COMDAT),
// which strict DWARF 2 cannot give the unit as ranges; fill.c follows it without lines.
extern "C" void fill(char *to, int value, int count);

class Counter {
public:
    Counter(int start) : value_(start) {}
    int next() { return ++value_; }

private:
    int value_;
};

static char buffer[16];

int main()
{
    Counter counter(3);
    fill(buffer, 0, sizeof buffer);
    return counter.next();
}
