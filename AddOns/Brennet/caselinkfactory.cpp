#include "caselinkfactory.h"

#include "claritycomm.h"
#include "easycodecomm.h"

#include <cstring>

CCaseToolComm *MakeCaseToolLink(LPCSTR toolText)
{
    if (toolText != nullptr && strcmp(toolText, "EasyCODE Debug Interface") == 0)
        return new CEasyCodeComm;
    return new CClarityComm;
}
