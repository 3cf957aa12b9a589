// The frame's command target: the servers' commands that reach the frame go on to the
// debug-server object, which answers them or passes them to the symbol server it carries.
#include "hostframe.h"

namespace QelHost {

STDMETHODIMP CHostFrame::QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text)
{
    CComQIPtr<IOleCommandTarget> target(m_debugServer);
    return target != nullptr ? target->QueryStatus(group, count, cmds, text) : OLECMDERR_E_UNKNOWNGROUP;
}

STDMETHODIMP CHostFrame::Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out)
{
    CComQIPtr<IOleCommandTarget> target(m_debugServer);
    return target != nullptr ? target->Exec(group, id, options, in, out) : OLECMDERR_E_UNKNOWNGROUP;
}

} // namespace QelHost
