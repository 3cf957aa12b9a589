// CViewSrvInstObj: one open view of a view server, with the source file it shows and the
// view's own storage, in which the file is kept as the value "SourceFile" so that a view
// restored from the workspace shows it again.
#pragma once

#include "storagewrapper.h"
#include "variantarray.h"

class CViewSrvInstObj : public CObject {
    DECLARE_DYNAMIC(CViewSrvInstObj)

public:
    // The view is not referenced: the frame keeps it until it reports it closed. The
    // storage (NULL: none) is wrapped with a reference of its own. Without a source file
    // the one kept in the storage is taken.
    CViewSrvInstObj(IUnknown *view, LPCSTR sourceFile, IStorage *storage);
    ~CViewSrvInstObj() override;

    IUnknown *GetView() const { return m_pView; }
    const CString &GetSourceFile() const { return m_strSourceFile; }
    CStorage *GetStorage() const { return m_pStorage; }

    // Keeps the name and, when it is not empty, writes it into the storage.
    void SetSourceFile(LPCSTR name);
    // Write and read the storage's "SourceFile"; nothing without storage.
    void SaveSourceFile();
    void LoadSourceFile();
    void SetStorage(IStorage *storage);
    void ReleaseStorage();

    // Command `id` of `group` sent to the view; E_NOINTERFACE without view.
    HRESULT ExecCommand(const GUID *group, DWORD id, CVariantArray *in, CVariantArray *out);

private:
    CString m_strSourceFile;
    IUnknown *m_pView;
    CStorage *m_pStorage;
};
