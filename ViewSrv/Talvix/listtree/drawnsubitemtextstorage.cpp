#include "drawnsubitemtextstorage.h"

#include <cstring>
#include <new>

BOOL DrawnSubItemTextStorage::SetSubItemTextAt(HTREEITEM item, int subItem, LPCSTR text)
{
    if (subItem < 1 || text == nullptr)
        return FALSE;
    auto found = m_texts.find(item);
    if (found != m_texts.end() && found->second == nullptr)
        return FALSE;
    CStringArray *texts;
    if (found != m_texts.end()) {
        texts = found->second.get();
    } else {
        std::unique_ptr<CStringArray> made(new (std::nothrow) CStringArray);
        if (made == nullptr)
            return FALSE;
        texts = made.get();
        m_texts.emplace(item, std::move(made));
    }
    texts->SetAtGrow(subItem - 1, CString(text));
    return TRUE;
}

BOOL DrawnSubItemTextStorage::GetSubItemTextAt(HTREEITEM item, int subItem, LPSTR buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return FALSE;
    buffer[0] = '\0';
    auto found = m_texts.find(item);
    if (subItem < 1 || found == m_texts.end() || found->second == nullptr || subItem > found->second->GetSize())
        return FALSE;
    const CString &text = found->second->GetAt(subItem - 1);
    size_t length = std::min(static_cast<size_t>(text.GetLength()), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, static_cast<LPCSTR>(text), length);
    buffer[length] = '\0';
    return TRUE;
}

void DrawnSubItemTextStorage::RemoveItemTexts(HTREEITEM item)
{
    m_texts.erase(item);
}
