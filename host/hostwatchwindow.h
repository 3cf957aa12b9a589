// The watch and locals windows' side of the communication variable objects, as the host
// stand-in plays it: a recording tree (hostwatchtree.h) and the requests the windows send
// the symbol server for it, synchronously, on one debug-server object that carries a
// symbol server with a program loaded.
//
// An entry is a variable found by name and scope (request 406), an expression, or a local
// at the program counter (405); a variable that lives by position gets its lifetime
// (600). Expanding an item asks for the members of its type (501). Every object is read
// as the host's value notice reads it: Refresh(0), then its texts made anew, then the
// tree's pending work.
#pragma once

#include "hostwatchtree.h"

#include <atlbase.h>
#include <qelcommvariable.h>
#include <qelsymbol.h>

#include <functional>
#include <string>
#include <vector>

namespace QelHost {

class CHostWatchWindow {
public:
    // Makes a new variable object; the host's communication queue would (command 200).
    using ObjectMaker = std::function<HRESULT(IUnknown **)>;

    CHostWatchWindow(IUnknown *debugServer, ObjectMaker maker);
    ~CHostWatchWindow();
    CHostWatchWindow(const CHostWatchWindow &) = delete;
    CHostWatchWindow &operator=(const CHostWatchWindow &) = delete;

    // The tree and the register map (800, with the host's register ids); false when the
    // debug server carries no symbol server.
    bool Open();

    // A variable by its scoped name ("NAME *", "NAME (global)", ...); false when the
    // server knows none.
    bool AddVariable(const std::string &scopedName);
    void AddExpression(const std::string &text);
    // The locals at the program counter; their number.
    int AddLocals();
    // Opens every item `levels` deep that has children.
    void Expand(int levels);
    // Chooses the display format `name` in every item that offers it.
    void ChooseFormat(const std::string &name);
    // Reads every entry again, as after a stop.
    void RefreshAll();

    CHostWatchTree *Tree() const { return m_tree; }
    CComPtr<IQelCommVariableObj> ObjectOf(LONG item) const;
    // GetItemString of the item's object; "" when it has none.
    std::string ItemString(LONG item, LONG code) const;

private:
    // One synchronous request and the fetch of its answer into `names` and `values`
    // (transfer VARIANTs, freed by the caller); false when either fails.
    bool Ask(const std::function<HRESULT(int *)> &request, const std::function<HRESULT(int)> &fetch);
    void MakeRegisterMap();
    CComPtr<IQelCommVariableObj> NewObject();
    void AddVariableEntry(const VARIANT &names, const VARIANT &values, LONG index);
    void Read(IQelCommVariableObj *object);

    CComPtr<IUnknown> m_debugServer;
    ObjectMaker m_maker;
    CComPtr<IQelSymbol> m_symbols;
    CComPtr<CHostWatchTree> m_tree;
    VARIANT m_registerNumbers, m_registerNames;
};

} // namespace QelHost
