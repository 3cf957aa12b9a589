// COleTarCmdCaller: sends commands of one command group to an object's
// IOleCommandTarget, with argument and result lists (variantarray.h gives the convention
// of how they travel and who frees what).
#pragma once

#include "variantarray.h"

class COleTarCmdCaller {
public:
    // `target` is not referenced; it must outlive the caller. `group` is not copied.
    COleTarCmdCaller(IUnknown *target, const GUID *group) : m_target(target), m_group(group) {}

    // Runs command `id` with the arguments of `in` and the result list `out` (either may
    // be NULL; an empty list passes no VARIANT, so a command can only answer into a list
    // of at least one element). Afterwards `out` holds the results, owned. The target's
    // answer, or E_NOINTERFACE (nothing sent) when it has no command target; any other
    // failure to reach that interface raises _com_error, and lists that cannot be packed
    // or unpacked for lack of memory raise CMemoryException. E_POINTER without a target.
    HRESULT Exec(DWORD id, CVariantArray *in, CVariantArray *out, DWORD options);
    // Exec with the hand-over flag (0x80000000): when the command succeeds the receiver
    // owns the arguments, and both lists are emptied without freeing them before the
    // results are read.
    HRESULT ExecHandOver(DWORD id, CVariantArray *in, CVariantArray *out, DWORD options);

    // Command 200 with the VT_UI4 `value` and, when `name` is given, the VT_BSTR name:
    // S_OK and the object of its VT_UNKNOWN answer in *result (the caller's reference),
    // else E_INVALIDARG (E_POINTER for a NULL `result`) and NULL, whatever went wrong.
    HRESULT RequestCommVariable(DWORD value, LPCSTR name, IUnknown **result);
    // The command without arguments, answered as RequestCommVariable answers.
    HRESULT ExecForObject(DWORD id, IUnknown **result);

    // The first cwActual characters of the command text (no more than its buffer holds)
    // as ANSI text, up to a terminating zero; empty for NULL or none.
    static void OleCmdTextToString(const OLECMDTEXT *text, CString &out);
    // A BSTR of the ANSI text (`length` bytes, or up to its zero for -1), for the caller
    // to free; NULL when none can be made or `text` is NULL.
    static BSTR AnsiToBstr(LPCSTR text, int length);

private:
    HRESULT ExecForResult(DWORD id, CVariantArray *in, IUnknown **result);

    IUnknown *m_target;
    const GUID *m_group;
};
