// The program window double: a view of the host frame (CHostView) that answers the
// commands of the program window's view group (CGID_QelProgWinView) as the host's program
// window keeps them: the name it shows and in which mode, the current line, the line marks,
// the instruction pointer of a code window, and the program's module tree, read when the
// view is made and whenever a program was loaded. With a select list in the host's tool
// bar, the view lists the tree's functions there, as their view server, each time it reads
// the tree (what it listed before goes first), and takes them out when it goes; the list's
// choice comes back as command 22.
//
//   10 (VT_UI4 mode, VT_BSTR name[, value])   shows the name in that mode; mode 1 makes a
//                                             temporary view; another name starts
//                                             without line, marks and IP
//   15 (line[, value, name])                  a VT_UI4 line becomes the current line; other
//                                             values leave it
//   18 (VT_UI4 set, VT_UI4 line, VT_UI4 kind) sets (non-zero) or clears the mark of that
//                                             kind at the line
//   21                                        answers VT_I4 line, mark count and mode into
//                                             the caller's list
//   91 (VT_UI4 address[, VT_UI4 0])           the instruction pointer in a code window
//   14                                        a program was loaded: the module tree anew
//   22 (VT_UI4 address, VT_BOOL final)        a choice of the select list; a final one
//                                             shows the address's location through the
//                                             symbol server, as the symbol explorer shows a
//                                             function (commands 11 and 15)
//   13, 16, 17, 19, 90, 96                    recorded only
//
// Arguments of other types answer E_INVALIDARG, other ids OLECMDERR_E_NOTSUPPORTED.
#pragma once

#include "hostframe.h"
#include "hostmoduletree.h"

#include <optional>
#include <set>
#include <utility>

namespace QelHost {

class CHostProgWinView : public CHostView {
public:
    BEGIN_COM_MAP(CHostProgWinView)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    // The mode of a view that the symbol server opens for a while only.
    static constexpr ULONG kTemporaryMode = 1;

    const std::string &Name() const { return m_name; }
    ULONG Mode() const { return m_mode; }
    bool Temporary() const { return m_mode == kTemporaryMode; }
    ULONG Line() const { return m_line; }
    // (line, kind) of each mark.
    const std::set<std::pair<ULONG, ULONG>> &Marks() const { return m_marks; }
    std::optional<ULONG> InstructionPointer() const { return m_ip; }
    const std::vector<HostModule> &Modules() const { return m_modules; }

    // The select list (IQelSymbolSelectList) that the view lists its functions in; held
    // until the view goes.
    void SetSelectList(IUnknown *selectList) { m_selectList = selectList; }

    void Made(const std::shared_ptr<DebugServerLink> &debugServer) override;
    void Gone() override;

protected:
    HRESULT Answer(const ViewCommand &command, VARIANT *out) override;

private:
    HRESULT Show(const std::vector<CComVariant> &arguments);
    HRESULT Mark(const std::vector<CComVariant> &arguments);
    HRESULT Query(VARIANT *out) const;
    void ReadModules();
    void ListFunctions();
    HRESULT Choose(const std::vector<CComVariant> &arguments);
    // The debug-server object that the view reaches; NULL while it reaches none.
    CComPtr<IUnknown> DebugServer() const;

    std::shared_ptr<DebugServerLink> m_debugServer;
    std::string m_name;
    ULONG m_mode = 0;
    ULONG m_line = 0;
    std::set<std::pair<ULONG, ULONG>> m_marks;
    std::optional<ULONG> m_ip;
    std::vector<HostModule> m_modules;
    CComPtr<IUnknown> m_selectList;
};

// A factory of the frame (CHostFrame::SetViewFactory) that makes program window doubles,
// which list their functions in `selectList` when it is given.
HostViewFactory ProgWinViewFactory(IUnknown *selectList = nullptr);

} // namespace QelHost
