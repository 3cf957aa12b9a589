// The program window double: a view of the host frame (CHostView) that answers the
// commands of the program window's view group (CGID_QelProgWinView) as the host's program
// window keeps them: the name it shows and in which mode, the current line, the line marks,
// the instruction pointer of a code window, and the program's module tree, read when the
// view is made and whenever a program was loaded.
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

    void Made(const std::shared_ptr<DebugServerLink> &debugServer) override;

protected:
    HRESULT Answer(const ViewCommand &command, VARIANT *out) override;

private:
    HRESULT Show(const std::vector<CComVariant> &arguments);
    HRESULT Mark(const std::vector<CComVariant> &arguments);
    HRESULT Query(VARIANT *out) const;
    void ReadModules();

    std::shared_ptr<DebugServerLink> m_debugServer;
    std::string m_name;
    ULONG m_mode = 0;
    ULONG m_line = 0;
    std::set<std::pair<ULONG, ULONG>> m_marks;
    std::optional<ULONG> m_ip;
    std::vector<HostModule> m_modules;
};

// A factory of the frame (CHostFrame::SetViewFactory) that makes program window doubles.
HostViewFactory ProgWinViewFactory();

} // namespace QelHost
