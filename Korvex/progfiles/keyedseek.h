// Seeks through the index that a key string names, choosing the index only when it
// changes: choosing one positions the table on its first row, a read that the passes,
// which seek through the same index again and again, can spare.
#pragma once

#include <qelrecordset.h>

#include <map>

class CKeyedSeek {
public:
    // Seeks `rs` for `first` (and `second`) through the index named by string `key`.
    BOOL Seek(CQelRecordset &rs, UINT key, const CdbVariant &first, const CdbVariant *second = nullptr);

private:
    std::map<const CQelRecordset *, UINT> m_current; // the index each table seeks through
};
