// The handlers of oletarcmdtesting.h (built into the tests only).
#include "oletarcmdtesting.h"

namespace OleTarCmdTesting {

IMPLEMENT_DYNCREATE(CTestHandler, CBasicOleTarCmdHndl)
IMPLEMENT_DYNCREATE(COtherHandler, CBasicOleTarCmdHndl)
IMPLEMENT_DYNCREATE(CNoGroupHandler, CBasicOleTarCmdHndl)

namespace {

const char kHelpPage[] = "help.html";

const OLECMDTARHNDLENTRY g_testTable[] = {
    {1, OLECMDTARHNDL_FNC(&CTestHandler::OnAdd), nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {2, nullptr, OLECMDTARHNDL_INDFNC(&CTestHandler::OnIndexed), -1, -1, -1, nullptr, nullptr, 0, nullptr,
     OLECMDTARHNDL_INDEXED, 0, 0, 0},
    {3, OLECMDTARHNDL_FNC(&CTestHandler::OnAdd), nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 1, 0},
    {4, OLECMDTARHNDL_FNC(&CTestHandler::OnAnswerText), nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0,
     0, 0},
    {60, OLECMDTARHNDL_FNC(&CBasicOleTarCmdHndl::OpenViewCommand), nullptr, -1, -1, -1, "StdQelWatchWin",
     RUNTIME_CLASS(CViewSrvItemObj), 0, nullptr, nullptr, 0, 1, 0},
    {10, OLECMDTARHNDL_FNC(&CTestHandler::OnAdd), nullptr, 101, 2, 2, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
    {11, OLECMDTARHNDL_FNC(&CTestHandler::OnAdd), nullptr, 102, 3, -1, nullptr, nullptr, 1, nullptr, nullptr, 0, 0, 0},
    {12, OLECMDTARHNDL_FNC(&CTestHandler::OnAdd), nullptr, 103, 4, 5, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 1},
    {20, OLECMDTARHNDL_FNC(&CTestHandler::OnAdd), nullptr, 104, -1, -1, nullptr, nullptr, 0, "StdHTMLView", "Open",
     34, 0, 0},
    {21, OLECMDTARHNDL_FNC(&CTestHandler::OnAdd), nullptr, 105, -1, -1, nullptr, nullptr, 0, "StdHTMLView", "Help",
     reinterpret_cast<UINT_PTR>(kHelpPage), 0, 0},
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

const OLECMDTARHNDLENTRY g_otherTable[] = {
    {1, OLECMDTARHNDL_FNC(&COtherHandler::OnAnswer), nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0,
     0},
    {5, OLECMDTARHNDL_FNC(&COtherHandler::OnAnswer), nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0,
     0},
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

const OLECMDTARHNDLENTRY g_noGroupTable[] = {
    {9, OLECMDTARHNDL_FNC(&CBasicOleTarCmdHndl::OpenViewCommand), nullptr, -1, -1, -1, "StdQelWatchWin",
     RUNTIME_CLASS(CViewSrvItemObj), 0, nullptr, nullptr, 0, 0, 0},
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

CRuntimeClass *g_handlerClasses[] = {RUNTIME_CLASS(CTestHandler), RUNTIME_CLASS(COtherHandler),
                                     RUNTIME_CLASS(CNoGroupHandler), nullptr};

void Answer(CVariantArray *out, const VARIANT &value)
{
    if (out->GetSize() < 1)
        out->SetSize(1);
    (*out)[0].SetValue(value);
}

} // namespace

const OLECMDTARHNDLENTRY *CTestHandler::GetCommandTable()
{
    return g_testTable;
}

void CTestHandler::UpdateCommandStatus(DWORD id)
{
    CBasicOleTarCmdHndl::UpdateCommandStatus(id);
    if (id == 4) {
        SetCheck(1);
        m_strStatusText = "Answers a text";
    }
}

HRESULT CTestHandler::OnAdd(CVariantArray *in, CVariantArray *out)
{
    VARIANT sum;
    VariantInit(&sum);
    sum.vt = VT_I4;
    sum.lVal = in->GetI4(0) + in->GetI4(1);
    Answer(out, sum);
    return S_OK;
}

HRESULT CTestHandler::OnIndexed(const OLECMDTARHNDLENTRY *entry, CVariantArray *, CVariantArray *out)
{
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_UI4;
    id.ulVal = entry->nCmdId;
    Answer(out, id);
    return S_OK;
}

HRESULT CTestHandler::OnAnswerText(CVariantArray *in, CVariantArray *out)
{
    CString text = "got ";
    text += (*in)[0].GetString();
    if (out->GetSize() < 1)
        out->SetSize(1);
    (*out)[0].SetString(text);
    return S_OK;
}

const OLECMDTARHNDLENTRY *COtherHandler::GetCommandTable()
{
    return g_otherTable;
}

HRESULT COtherHandler::OnAnswer(CVariantArray *, CVariantArray *)
{
    return S_FALSE;
}

const OLECMDTARHNDLENTRY *CNoGroupHandler::GetCommandTable()
{
    return g_noGroupTable;
}

CRuntimeClass **CTestCmdClass::GetHandlerClasses()
{
    return g_handlerClasses;
}

} // namespace OleTarCmdTesting
