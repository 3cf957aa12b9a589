// qelsfrdb DESCRIPTION OUTPUT.mdb: builds a controller database that the symbol server
// can read, from a text description of the controller's registers (sfrdescription.h).
// The maker's own databases are Jet files, which the database layer here cannot open.
#include <sfrdbbuilder.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: qelsfrdb DESCRIPTION OUTPUT.mdb\n");
        return 2;
    }
    CString error;
    if (!BuildSfrDatabaseFromFile(argv[1], argv[2], error)) {
        fprintf(stderr, "qelsfrdb: %s\n", static_cast<LPCSTR>(error));
        return 1;
    }
    return 0;
}
