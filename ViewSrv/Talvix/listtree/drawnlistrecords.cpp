#include "drawnlistrecords.h"

#include <cstring>

void FreeCellText(LPSTR &text)
{
    if (text != nullptr && !IsCallbackText(text))
        delete[] text;
    text = nullptr;
}

void SetCellText(LPSTR &text, LPCSTR value)
{
    FreeCellText(text);
    if (value == nullptr)
        return;
    if (IsCallbackText(value)) {
        text = LPSTR_TEXTCALLBACKA;
        return;
    }
    size_t length = std::strlen(value);
    text = new char[length + 1];
    std::memcpy(text, value, length + 1);
}

DrawnListItem::~DrawnListItem()
{
    FreeCellText(text);
    for (DrawnListSubItem *subItem : subItems)
        delete subItem;
}
