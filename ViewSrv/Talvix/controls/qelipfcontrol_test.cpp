// The file persistence of the view-server controls, as a container asks for it.
#include "qelipfcontrol.h"

#include <atlbase.h>

#include <gtest/gtest.h>

namespace {

class CPersistingControl : public CComObjectRootEx<CComSingleThreadModel>,
                           public CQelIPFControlImpl<CPersistingControl> {
public:
    BEGIN_COM_MAP(CPersistingControl)
        COM_INTERFACE_ENTRY(IPersistFile)
    END_COM_MAP()
};

TEST(ControlPersistFile, AnswersTheTypeLibraryAnEmptyFileAndNothingElse)
{
    CComObject<CPersistingControl> *control = nullptr;
    ASSERT_EQ(CComObject<CPersistingControl>::CreateInstance(&control), S_OK);
    CComPtr<IPersistFile> file(control);

    CLSID id = GUID_NULL;
    EXPECT_EQ(file->GetClassID(nullptr), E_POINTER);
    ASSERT_EQ(file->GetClassID(&id), S_OK);
    EXPECT_EQ(id, LIBID_TALVIXLib);
    EXPECT_EQ(file->IsDirty(), S_FALSE);
    EXPECT_EQ(file->Load(u"/tmp/x", 0), E_NOTIMPL);
    EXPECT_EQ(file->Save(u"/tmp/x", TRUE), E_NOTIMPL);
    EXPECT_EQ(file->SaveCompleted(u"/tmp/x"), E_NOTIMPL);

    EXPECT_EQ(file->GetCurFile(nullptr), E_POINTER);
    LPOLESTR name = nullptr;
    ASSERT_EQ(file->GetCurFile(&name), S_OK);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name[0], u'\0');
    CoTaskMemFree(name);
}

} // namespace
