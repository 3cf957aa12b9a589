#include "c16xinfo.h"

#include <testing/comobjectbalance.h>
#include <gtest/gtest.h>

namespace {

class ProgramInfo : public ComObjectBalance {
protected:
    // A new object of the format with the caller's one reference.
    CComPtr<IUnknown> Make(LONG type, CProgramInfo **made = nullptr)
    {
        CProgramInfo *info = nullptr;
        EXPECT_EQ(CreateProgramInfo(type, &info), S_OK);
        if (made != nullptr)
            *made = info;
        CComPtr<IUnknown> unknown;
        if (info != nullptr) {
            info->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&unknown));
            info->Release();
        }
        return unknown;
    }

    static GUID InfoType(IUnknown *object)
    {
        CComPtr<IProgramInfo> info;
        EXPECT_EQ(object->QueryInterface(IID_IProgramInfo, reinterpret_cast<void **>(&info)), S_OK);
        GUID type = GUID_NULL;
        EXPECT_EQ(info->GetInfoTypeGuid(&type), S_OK);
        return type;
    }

    static bool Offers(IUnknown *object, REFIID iid)
    {
        CComPtr<IUnknown> found;
        return object->QueryInterface(iid, reinterpret_cast<void **>(&found)) == S_OK;
    }
};

TEST_F(ProgramInfo, EachFormatGetsTheClassOfItsProgramKind)
{
    struct {
        LONG type;
        GUID infoType;
        bool tasking, gnu;
    } kinds[] = {
        {QEL_PROGRAM_TASKING_OUT, IID_ITaskingC16xInfo, true, false},
        {QEL_PROGRAM_ELF, IID_IProgramInfo, false, false},
        {QEL_PROGRAM_EOMF, IID_IProgramInfo, false, false},
        {QEL_PROGRAM_GNU166, IID_IGNUC16xInfo, false, true},
        {QEL_PROGRAM_INTEL_HEX, IID_IProgramInfo, false, false},
    };
    for (const auto &kind : kinds) {
        CProgramInfo *info = nullptr;
        CComPtr<IUnknown> object = Make(kind.type, &info);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(info->m_nType, kind.type);
        EXPECT_EQ(InfoType(object), kind.infoType) << "type " << kind.type;
        EXPECT_TRUE(Offers(object, IID_IProgramInfo));
        EXPECT_EQ(Offers(object, IID_ITaskingC16xInfo), kind.tasking);
        EXPECT_EQ(Offers(object, IID_IGNUC16xInfo), kind.gnu);
        EXPECT_EQ(Offers(object, IID_IPXROSC16xInfo), kind.tasking || kind.gnu);
        EXPECT_FALSE(Offers(object, IID_IDispatch));
    }
    CProgramInfo *none = reinterpret_cast<CProgramInfo *>(1);
    EXPECT_EQ(CreateProgramInfo(-1, &none), E_INVALIDARG);
    EXPECT_EQ(none, nullptr);
}

TEST_F(ProgramInfo, DescribesTheLoadedProgram)
{
    CProgramInfo *info = nullptr;
    CComPtr<IUnknown> object = Make(QEL_PROGRAM_ELF, &info);
    info->m_strName = "/work/prog.elf";
    info->m_nDownloadBlocks = 3;
    info->m_nDownloadBytes = 0x1234;
    info->m_strStartText = "start";
    info->m_nStartAddress = 0x100;
    info->m_nStartValue = 7;

    CComPtr<IProgramInfo> program;
    ASSERT_EQ(object->QueryInterface(IID_IProgramInfo, reinterpret_cast<void **>(&program)), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(program->GetName(&name), S_OK);
    EXPECT_EQ(CString(name), "/work/prog.elf");
    SysFreeString(name);

    ULONG blocks = 0, bytes = 0;
    EXPECT_EQ(program->GetDownloadSize(&blocks, &bytes), S_OK);
    EXPECT_EQ(blocks, 3u);
    EXPECT_EQ(bytes, 0x1234u);

    BSTR text = nullptr;
    ULONG address = 0, value = 0;
    EXPECT_EQ(program->GetStartInfo(&text, &address, &value), S_OK);
    EXPECT_EQ(CString(text), "start");
    EXPECT_EQ(address, 0x100u);
    EXPECT_EQ(value, 7u);
    SysFreeString(text);
    EXPECT_EQ(program->GetSecondInfo(&text, &address, &value), S_OK);
    EXPECT_EQ(CString(text), "");
    EXPECT_EQ(address, 0u);
    SysFreeString(text);

    EXPECT_EQ(program->GetName(nullptr), E_POINTER);
    EXPECT_EQ(program->GetDownloadSize(&blocks, nullptr), E_POINTER);
    EXPECT_EQ(program->GetStartInfo(&text, nullptr, &value), E_POINTER);
    EXPECT_EQ(program->GetInfoTypeGuid(nullptr), E_POINTER);
}

TEST_F(ProgramInfo, AFreshTaskingProgramGivesNoSectionsAndNoKernelValues)
{
    CComPtr<IUnknown> object = Make(QEL_PROGRAM_TASKING_OUT);
    CComPtr<ITaskingC16xInfo> tasking;
    CComPtr<IPXROSC16xInfo> pxros;
    ASSERT_EQ(object->QueryInterface(IID_ITaskingC16xInfo, reinterpret_cast<void **>(&tasking)), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_IPXROSC16xInfo, reinterpret_cast<void **>(&pxros)), S_OK);
    ULONG start = 0, length = 0, value = 0;
    EXPECT_EQ(tasking->GetICallSection(&start, &length), E_FAIL);
    EXPECT_EQ(tasking->GetIRetSection(&start, &length), E_FAIL);
    EXPECT_EQ(pxros->GetPxrosValue1(&value), E_FAIL);
    EXPECT_EQ(pxros->GetPxrosValue2(&value), E_FAIL);
    EXPECT_EQ(pxros->GetPxrosValue3(&value), E_FAIL);
}

TEST_F(ProgramInfo, AnEmptyInterruptSectionCountsAsNoneForTaskingButNotForGnu)
{
    CProgramInfo *made = nullptr;
    CComPtr<IUnknown> taskingObject = Make(QEL_PROGRAM_TASKING_OUT, &made);
    CTaskingC16xInfo *taskingInfo = static_cast<CTaskingC16xInfo *>(made);
    CComPtr<IUnknown> gnuObject = Make(QEL_PROGRAM_GNU166, &made);
    CGNUC16xInfo *gnuInfo = static_cast<CGNUC16xInfo *>(made);
    for (CC16xInfo *info : {static_cast<CC16xInfo *>(taskingInfo), static_cast<CC16xInfo *>(gnuInfo)}) {
        info->m_nICallStart = 0x200;
        info->m_nICallLength = 0;
        info->m_nIRetStart = 0x300;
        info->m_nIRetLength = 0x10;
        info->m_nPxrosValue2 = 0x4000;
    }

    CComPtr<ITaskingC16xInfo> tasking;
    ASSERT_EQ(taskingObject->QueryInterface(IID_ITaskingC16xInfo, reinterpret_cast<void **>(&tasking)), S_OK);
    ULONG start = 0, length = 0;
    EXPECT_EQ(tasking->GetICallSection(&start, &length), E_FAIL);
    EXPECT_EQ(tasking->GetIRetSection(&start, &length), S_OK);
    EXPECT_EQ(start, 0x300u);
    EXPECT_EQ(length, 0x10u);

    CComPtr<IGNUC16xInfo> gnu;
    ASSERT_EQ(gnuObject->QueryInterface(IID_IGNUC16xInfo, reinterpret_cast<void **>(&gnu)), S_OK);
    EXPECT_EQ(gnu->GetICallSection(&start, &length), S_OK);
    EXPECT_EQ(start, 0x200u);
    EXPECT_EQ(length, 0u);
    gnuInfo->m_nIRetStart = 0xFFFFFFFF;
    EXPECT_EQ(gnu->GetIRetSection(&start, &length), E_FAIL);

    CComPtr<IPXROSC16xInfo> pxros;
    ASSERT_EQ(gnuObject->QueryInterface(IID_IPXROSC16xInfo, reinterpret_cast<void **>(&pxros)), S_OK);
    ULONG value = 0;
    EXPECT_EQ(pxros->GetPxrosValue1(&value), E_FAIL);
    EXPECT_EQ(pxros->GetPxrosValue2(&value), S_OK);
    EXPECT_EQ(value, 0x4000u);
}

TEST_F(ProgramInfo, GnuHeaderValuesStartAtZero)
{
    CProgramInfo *made = nullptr;
    CComPtr<IUnknown> object = Make(QEL_PROGRAM_GNU166, &made);
    CComPtr<IGNUC16xInfo> gnu;
    ASSERT_EQ(object->QueryInterface(IID_IGNUC16xInfo, reinterpret_cast<void **>(&gnu)), S_OK);
    ULONG model = 99, code = 99;
    EXPECT_EQ(gnu->GetGnuValues(&model, &code), S_OK);
    EXPECT_EQ(model, 0u);
    EXPECT_EQ(code, 0u);
    static_cast<CGNUC16xInfo *>(made)->m_nGnuValue1 = 2;
    EXPECT_EQ(gnu->GetGnuValues(&model, &code), S_OK);
    EXPECT_EQ(model, 2u);
}

TEST_F(ProgramInfo, EveryInterfaceReachesTheSameObject)
{
    CComPtr<IUnknown> object = Make(QEL_PROGRAM_TASKING_OUT);
    CComPtr<IPXROSC16xInfo> pxros;
    ASSERT_EQ(object->QueryInterface(IID_IPXROSC16xInfo, reinterpret_cast<void **>(&pxros)), S_OK);
    CComPtr<IUnknown> identity;
    ASSERT_EQ(pxros->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity)), S_OK);
    EXPECT_EQ(identity, object);
    CComPtr<ITaskingC16xInfo> tasking;
    EXPECT_EQ(pxros->QueryInterface(IID_ITaskingC16xInfo, reinterpret_cast<void **>(&tasking)), S_OK);
}

} // namespace
