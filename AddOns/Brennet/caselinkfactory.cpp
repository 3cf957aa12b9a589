#include "caselinkfactory.h"

#include "claritycomm.h"

#include <cstring>

CCaseToolComm *MakeCaseToolLink(LPCSTR toolText)
{
    if (toolText != nullptr && strcmp(toolText, "EasyCODE Debug Interface") == 0)
        return nullptr;
    return new CClarityComm;
}
