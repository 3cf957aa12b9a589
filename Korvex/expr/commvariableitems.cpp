// The item methods of the communication variable object: members added below an item,
// and what the tree reads and changes of the node that shows an item.
#include "commvariableobj.h"

#include "commvarargs.h"
#include "commvarguard.h"
#include "varnodekinds.h"

#include <vector>

namespace {

constexpr LONG kBatchBegin = 0, kBatchAdd = 1, kBatchCommit = 2;

BSTR Bstr(const CString &text)
{
    BSTR result = CComBSTR(text).Detach();
    if (result == nullptr)
        AfxThrowMemoryException();
    return result;
}

// A one-dimensional array of `count` elements of `type` in `variant`, which is cleared
// first; its data, locked until the caller unlocks it.
void *NewArray(VARIANT *variant, VARTYPE type, LONG count)
{
    SAFEARRAYBOUND bound = {static_cast<ULONG>(count), 0};
    SAFEARRAY *array = SafeArrayCreate(type, 1, &bound);
    void *data = nullptr;
    if (array == nullptr || FAILED(SafeArrayAccessData(array, &data))) {
        if (array != nullptr)
            SafeArrayDestroy(array);
        AfxThrowMemoryException();
    }
    variant->vt = VT_ARRAY | type;
    variant->parray = array;
    return data;
}

} // namespace

CQelBasicVarNode *CQelCommVariableObj::Node(LONG item)
{
    if (m_pRoot == nullptr)
        return nullptr;
    return item == 0 ? m_pRoot : m_pRoot->FindNode(item);
}

STDMETHODIMP CQelCommVariableObj::AddMembers(LONG parent, VARIANT names, VARIANT values)
{
    return QelGuardedCall([&]() -> HRESULT {
        CMemberTagArray members;
        if (FAILED(ReadMembers(names, values, members)))
            return E_INVALIDARG;
        TreeLock hold(this);
        if (m_pRoot == nullptr)
            return S_OK;
        CQelBasicVarNode *node = Node(parent);
        if (node == nullptr || node->GetFirstChild() != nullptr)
            return E_INVALIDARG;
        AddMemberNodes(node, node->GetItemHandle(), members);
        return S_OK;
    });
}

void CQelCommVariableObj::AddMemberNodes(CQelBasicVarNode *parent, LONG parentItem, const CMemberTagArray &members)
{
    CString arrayText;
    std::vector<MemberTag> records;
    if (parent->IsArray(&arrayText)) {
        if (members.GetSize() < 1)
            return;
        // A damaged count must not make more elements than the array holds.
        const MemberTag &element = members[0];
        LONG count = element.Offset > 0 ? element.Offset : 0;
        const LONG arrayBits = static_cast<LONG>(parent->GetSize()) * 8;
        const LONG most = element.SizeInBits > 0 ? arrayBits / element.SizeInBits : 0;
        if (count > most)
            count = most;
        for (LONG i = 0; i < count; ++i) {
            MemberTag record = element;
            record.Name = QelFillNamePattern(element.Name, arrayText, i);
            records.push_back(record);
        }
    } else {
        for (int i = 0; i < members.GetSize(); ++i)
            records.push_back(members[i]);
    }
    if (records.empty())
        return;

    // The nodes first, linked below the parent one after the other.
    std::vector<CQelBasicVarNode *> nodes;
    std::vector<LONG> children;
    CQelBasicVarNode *previous = nullptr;
    bool enumerators = false;
    for (const MemberTag &record : records) {
        LONG hasChildren = 0;
        CQelBasicVarNode *node = NewNode(static_cast<DWORD>(record.TypeCode), &hasChildren);
        node->BuildFromMember(record);
        CString name;
        BOOL linked = previous == nullptr ? m_pRoot->LinkChild(parentItem, node, name)
                                          : previous->LinkChild(0, node, name);
        if (!linked) {
            delete node;
            break;
        }
        node->SetComplexMemory(m_pInner);
        nodes.push_back(node);
        children.push_back(hasChildren);
        previous = node;
        enumerators = enumerators || node->GetTypeClass() == QELVAR_CLASS_ENUMERATOR;
    }

    // Then their items, in one batch; enumerators get none.
    std::vector<size_t> shown;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i]->GetTypeClass() != QELVAR_CLASS_ENUMERATOR)
            shown.push_back(i);
    }
    if (m_pTree != nullptr && !shown.empty()) {
        CComVariant out;
        CComBSTR empty(u"");
        HRESULT hr = m_pTree->InsertItemBatch(kBatchBegin, empty, 0, static_cast<LONG>(shown.size()), nullptr, &out);
        for (size_t i = 0; SUCCEEDED(hr) && i < shown.size(); ++i) {
            out.Clear();
            const MemberTag &record = records[shown[i]];
            CComBSTR name(nodes[shown[i]]->GetString(0));
            hr = m_pTree->InsertItemBatch(kBatchAdd, name, record.TypeCode, children[shown[i]], Self(), &out);
        }
        if (SUCCEEDED(hr)) {
            out.Clear();
            hr = m_pTree->InsertItemBatch(kBatchCommit, empty, static_cast<LONG>(parent->GetTypeClass()), parentItem,
                                          Self(), &out);
        }
        if (FAILED(hr))
            _com_issue_error(hr);
        if (out.vt == (VT_ARRAY | VT_I4) && out.parray != nullptr && SafeArrayGetDim(out.parray) == 1) {
            LONG lower = 0, upper = -1;
            LONG *handles = nullptr;
            SafeArrayGetLBound(out.parray, 1, &lower);
            SafeArrayGetUBound(out.parray, 1, &upper);
            if (SUCCEEDED(SafeArrayAccessData(out.parray, reinterpret_cast<void **>(&handles)))) {
                const size_t given = upper >= lower ? static_cast<size_t>(upper - lower + 1) : 0;
                for (size_t i = 0; i < shown.size() && i < given; ++i)
                    nodes[shown[i]]->SetItemHandle(handles[i]);
                SafeArrayUnaccessData(out.parray);
            }
        }
    }
    if (enumerators)
        m_pRoot->UpdateText(m_pTree, TRUE);
}

STDMETHODIMP CQelCommVariableObj::GetBaseType(LONG item, LONG *pBaseType)
{
    if (pBaseType == nullptr)
        return E_POINTER;
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pRoot != nullptr)
            *pBaseType = m_pRoot->GetBaseType(item);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::IsEnum(LONG item, LONG *pIsEnum)
{
    if (pIsEnum == nullptr)
        return E_POINTER;
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        CQelBasicVarNode *node = Node(item);
        *pIsEnum = node != nullptr && node->IsEnumeration() ? 1 : 0;
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::UpdateItemText(LONG item)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pRoot == nullptr)
            return S_OK;
        if (item == 0) {
            m_pRoot->UpdateText(m_pTree, TRUE);
            return S_OK;
        }
        CQelBasicVarNode *node = m_pRoot->FindNode(item);
        if (node == nullptr)
            return E_FAIL;
        return node->ParseEditText(m_pTree) ? S_OK : E_FAIL;
    });
}

STDMETHODIMP CQelCommVariableObj::SetExpanded(LONG item, LONG expanded)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pRoot != nullptr)
            m_pRoot->SetCollapsed(item, expanded != 0);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::GetItemHandle(LONG *pItem)
{
    if (pItem == nullptr)
        return E_POINTER;
    TreeLock hold(this);
    if (m_pRoot != nullptr)
        *pItem = m_pRoot->GetItemHandle();
    return S_OK;
}

STDMETHODIMP CQelCommVariableObj::GetValue(VARIANT *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        return m_pRoot != nullptr ? m_pRoot->GetValue(pValue) : E_FAIL;
    });
}

STDMETHODIMP CQelCommVariableObj::SetValue(VARIANT value)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        return m_pRoot != nullptr ? m_pRoot->SetValue(value) : E_FAIL;
    });
}

STDMETHODIMP CQelCommVariableObj::GetDisplayFormats(LONG item, VARIANT *pNames, VARIANT *pValues)
{
    if (pNames == nullptr || pValues == nullptr)
        return E_POINTER;
    VariantClear(pNames);
    VariantClear(pValues);
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        CQelBasicVarNode *node = Node(item);
        if (node == nullptr)
            return S_OK;
        std::vector<int> named;
        for (int format = 0; format < 4; ++format) {
            if (!node->GetDisplayFormatName(format).IsEmpty())
                named.push_back(format);
        }
        if (named.empty())
            return S_OK;
        const LONG count = static_cast<LONG>(named.size()) * 2;
        CComVariant names, values;
        auto *texts = static_cast<BSTR *>(NewArray(&names, VT_BSTR, count));
        auto *numbers = static_cast<LONG *>(NewArray(&values, VT_I4, count));
        for (size_t i = 0; i < named.size(); ++i) {
            const CString name = node->GetDisplayFormatName(named[i]);
            texts[2 * i] = Bstr(name);
            texts[2 * i + 1] = Bstr(name);
            numbers[2 * i] = named[i];
            numbers[2 * i + 1] = named[i] == node->GetDisplayFormat() ? 1 : 0;
        }
        SafeArrayUnaccessData(names.parray);
        SafeArrayUnaccessData(values.parray);
        names.Detach(pNames);
        values.Detach(pValues);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::SetDisplayFormat(LONG item, LONG format)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        CQelBasicVarNode *node = Node(item);
        if (node == nullptr)
            return E_FAIL;
        if (format < 0 || !node->SetDisplayFormat(format))
            return E_INVALIDARG;
        node->UpdateText(m_pTree, TRUE);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::GetEnumerators(LONG item, VARIANT *pNames, VARIANT *pSelected)
{
    if (pNames == nullptr || pSelected == nullptr)
        return E_POINTER;
    VariantClear(pNames);
    VariantClear(pSelected);
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        CQelBasicVarNode *node = Node(item);
        const int count = node != nullptr ? node->GetEnumeratorCount() : 0;
        if (count <= 0)
            return S_OK;
        CComVariant names, selected;
        auto *texts = static_cast<BSTR *>(NewArray(&names, VT_BSTR, count));
        auto *flags = static_cast<LONG *>(NewArray(&selected, VT_I4, count));
        for (int i = 0; i < count; ++i) {
            LONG value = 0;
            CString name;
            node->GetEnumerator(i, &value, &name);
            texts[i] = Bstr(name);
            flags[i] = i == node->GetChosenEnumerator() ? 1 : 0;
        }
        SafeArrayUnaccessData(names.parray);
        SafeArrayUnaccessData(selected.parray);
        names.Detach(pNames);
        selected.Detach(pSelected);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::SelectEnumerator(LONG item, LONG index)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        CQelBasicVarNode *node = Node(item);
        if (node == nullptr)
            return E_FAIL;
        if (index < 0 || !node->SetChosenEnumerator(index))
            return E_INVALIDARG;
        return node->ParseEditText(m_pTree) ? S_OK : E_FAIL;
    });
}

STDMETHODIMP CQelCommVariableObj::GetDisplayState(LONG item, LONG *pState)
{
    if (pState == nullptr)
        return E_POINTER;
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        CQelBasicVarNode *node = Node(item);
        if (node == nullptr)
            return E_FAIL;
        *pState = node->GetDisplayState();
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::GetItemString(LONG item, LONG code, BSTR *pText)
{
    if (pText == nullptr)
        return E_POINTER;
    *pText = nullptr;
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pRoot == nullptr)
            return S_OK;
        CQelBasicVarNode *node = Node(item);
        if (node == nullptr)
            node = m_pRoot;
        CString text;
        switch (code) {
        case 0:
        case 1:
        case 10:
        case 101:
        case 102: text = node->GetString(code); break;
        case 100: {
            CAddressValue symbol, place;
            node->GetSymbolLocation(0, symbol);
            if (node == m_pRoot && symbol != CAddressValue(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF)) {
                text = m_locationText;
                break;
            }
            place = node->GetLocation();
            if (place.AddressMode == CCommVarLocator::kNone)
                text = "?";
            else if (place.AddressMode != CCommVarLocator::kRegister &&
                     place.AddressMode != CCommVarLocator::kRegisterBit &&
                     place.AddressMode != CCommVarLocator::kRegisterPair)
                text.Format("0x%X", place.AddressValue);
            break;
        }
        default: break;
        }
        *pText = Bstr(text);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::SetItemString(LONG item, LONG valueText, BSTR text)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pRoot == nullptr)
            return S_OK;
        CString ansi;
        if (text != nullptr)
            ansi = text;
        return m_pRoot->SetDisplayText(item, ansi, valueText != 0) ? S_OK : E_FAIL;
    });
}

STDMETHODIMP CQelCommVariableObj::GetSymbolId(LONG *pId)
{
    if (pId == nullptr)
        return E_POINTER;
    TreeLock hold(this);
    if (m_pRoot != nullptr)
        *pId = m_rootTag.SymbolIndex;
    return S_OK;
}

STDMETHODIMP CQelCommVariableObj::GetSymbolIndex(LONG *pIndex)
{
    if (pIndex == nullptr)
        return E_POINTER;
    TreeLock hold(this);
    if (m_pRoot != nullptr)
        *pIndex = m_rootTag.SymbolID;
    return S_OK;
}

STDMETHODIMP CQelCommVariableObj::GetNames(BSTR *pName, BSTR *pScope)
{
    if (pName == nullptr || pScope == nullptr)
        return E_POINTER;
    *pName = nullptr;
    *pScope = nullptr;
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pRoot == nullptr)
            return S_OK;
        CComBSTR name(m_pRoot->GetString(0)), scope(m_pRoot->GetString(102));
        *pName = name.Detach();
        *pScope = scope.Detach();
        return S_OK;
    });
}
