#include "watchtypenames.h"

#include <symbolprocessing.h>

BOOL CSymbolTypeNames::IsTypeName(LPCSTR name)
{
    if (m_pClient == nullptr)
        return FALSE;
    // Requester 0: the request has run when the call returns.
    int request = m_pClient->RequestType(name, 0);
    if (request == 0)
        return FALSE;
    CMemberTagArray members;
    return m_pClient->GetMembers(request, members) && members.GetSize() > 0;
}
