// The member function that command tables name for the commands that open views.
#include "oletarcmdhndl.h"

#include "viewsrvitemobj.h"

namespace {

constexpr DWORD kViewClosed = 16;
constexpr DWORD kOpenFromStorage = 1;
constexpr int kMaxSourceFileLength = 1024;

} // namespace

// Works on the handler's first item object:
// - no argument: a view of the file that GetCommandText gives (none: just a view);
// - one VT_BSTR: a view of that file;
// - VT_UNKNOWN and VT_UI4 16, from the host: that view was closed; a NULL object closes
//   all views;
// - VT_UNKNOWN and VT_UI4 1, from the host: a view restored from its storage, the object,
//   opens the file kept there as "SourceFile" (or, without one, as with no argument).
// Anything else, or a handler without item object: E_INVALIDARG.
HRESULT CBasicOleTarCmdHndl::OpenViewCommand(CVariantArray *in, CVariantArray * /*out*/)
{
    CViewSrvItemObj *item = GetFirstItemObj();
    if (!item)
        return E_INVALIDARG;
    int count = in ? in->GetSize() : 0;
    CString file;
    if (count == 1 && (*in)[0].GetValue().vt == VT_BSTR)
        return item->CreateInstance((*in)[0].GetString());
    if (count == 2 && (*in)[0].GetValue().vt == VT_UNKNOWN && (*in)[1].GetValue().vt == VT_UI4) {
        IUnknown *object = in->GetUnknown(0);
        DWORD code = in->GetUI4(1);
        if (code == kViewClosed)
            return object ? item->RemoveInstance(object) : item->CloseAll();
        if (code != kOpenFromStorage)
            return E_INVALIDARG;
        CComPtr<IStorage> storage;
        if (object)
            object->QueryInterface(IID_IStorage, reinterpret_cast<void **>(&storage));
        CStorage(storage).ReadString("SourceFile", "", file, kMaxSourceFileLength + 1);
        if (!file.IsEmpty())
            return item->CreateInstance(file);
    } else if (count != 0) {
        return E_INVALIDARG;
    }
    if (!GetCommandText(file))
        return E_INVALIDARG;
    return item->CreateInstance(file.IsEmpty() ? nullptr : static_cast<LPCSTR>(file));
}
