// How the watch parser tells a type name from an identifier.
//
// The parser asks once for every name it scans, in the order of the text, while it holds
// the process-wide parse lock (watchparser.h).
#pragma once

#include <afx.h>

class CSymbolProcessing;

class CWatchTypeNames {
public:
    virtual ~CWatchTypeNames() = default;
    // TRUE when `name` names a type of the program.
    virtual BOOL IsTypeName(LPCSTR name) = 0;
};

// The symbol server's answer: a name is a type when a synchronous type request by that
// name gives at least one record. Without a client, or when the request fails, the name
// is no type.
class CSymbolTypeNames : public CWatchTypeNames {
public:
    explicit CSymbolTypeNames(CSymbolProcessing *client) : m_pClient(client) {}
    BOOL IsTypeName(LPCSTR name) override;

private:
    CSymbolProcessing *m_pClient;
};
