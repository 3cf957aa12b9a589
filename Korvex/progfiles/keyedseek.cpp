#include "keyedseek.h"

#include <stringtext.h>

BOOL CKeyedSeek::Seek(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second)
{
    UINT &current = m_current[&rs];
    if (current != key) {
        rs.SetCurrentIndex(LoadStringText(key));
        current = key;
    }
    return rs.Seek("=", &first, second);
}
