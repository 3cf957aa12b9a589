#include "stringtext.h"

CString LoadStringText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}
