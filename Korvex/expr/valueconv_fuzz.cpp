// Reads arbitrary texts through every row of the conversion table, in every format, with
// arbitrary sizes, bit layouts and locations, as a user's edit is read (and as the word-
// swapped program type reads floats), and checks what callers rely on: nothing is
// written outside the node's value buffer (the buffers are allocated to their size, so
// the address sanitizer sees every byte past them), a refused text leaves the value and
// sets no write, and the text shown afterwards is made without a fault.
#include "valueconv.h"
#include "varnode.h"

#include <programinfointerfaces.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// A tree that takes every call; reading an edit needs one.
class CFuzzTree : public CComObjectRootEx<CComMultiThreadModel>, public IQelCommonWatch {
public:
    BEGIN_COM_MAP(CFuzzTree)
        COM_INTERFACE_ENTRY(IQelCommonWatch)
    END_COM_MAP()
    STDMETHODIMP InsertItem(BSTR, LONG, LONG, IUnknown *, LONG *) override { return S_OK; }
    STDMETHODIMP ChangeItem(BSTR, LONG, LONG, IUnknown *, LONG, LONG *) override { return S_OK; }
    STDMETHODIMP CalculateItem(LONG, LONG, LONG, LONG) override { return S_OK; }
    STDMETHODIMP SetItemText(LONG) override { return S_OK; }
    STDMETHODIMP GetItemText(LONG, BSTR *) override { return S_OK; }
    STDMETHODIMP DeleteItem(LONG) override { return S_OK; }
    STDMETHODIMP InsertItemBatch(LONG, BSTR, LONG, LONG, IUnknown *, VARIANT *) override { return S_OK; }
};

DWORD Word(const uint8_t *data)
{
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // 12 bytes of choices: row, format, size in bits (2 bytes), layout (4), mode and
    // bit number (2), swapped; then the text up to its first NUL.
    if (size < 12)
        return 0;
    const QelConversionRow &row = g_QelConversionTable[data[0] % QELCONV_TABLE_ROWS];
    const int format = data[1] % 4;
    const LONG bits = (data[2] | data[3] << 8) % 200;
    const DWORD layout = Word(data + 4);
    static const DWORD modes[] = {1, 0x40000001, 3, 4, 0};
    const DWORD mode = modes[data[8] % 5];
    const DWORD third = data[9];
    const bool swapped = data[10] & 1;
    std::string text(reinterpret_cast<const char *>(data + 12), size - 12);
    text = text.substr(0, text.find('\0'));

    static CComObject<CFuzzTree> *tree = [] {
        CComObject<CFuzzTree> *made = nullptr;
        CComObject<CFuzzTree>::CreateInstance(&made);
        made->AddRef();
        return made;
    }();

    CQelBasicVarNode node(nullptr);
    MemberTag tag;
    tag.TypeCode = static_cast<LONG>(row.typeClass) | (data[11] & 1 ? 0x40000000 : 0);
    tag.TypeIndex = row.baseType;
    tag.SizeInBits = bits;
    tag.Offset = static_cast<LONG>(layout);
    node.BuildFromMember(tag);
    if (swapped)
        node.SetProgramType(IID_ITaskingC16xInfo);
    node.SetAddress(mode, 0x1000, third);
    node.SetDisplayFormat(format);
    node.SetItemHandle(1);

    const DWORD bytes = node.GetSize();
    std::vector<BYTE> before(node.GetBuffer(), node.GetBuffer() + bytes);
    for (DWORD i = 0; i < bytes; ++i)
        node.GetBuffer()[i] = before[i] = static_cast<BYTE>(0xA5 ^ i);

    // The edit as the watch reads it.
    node.UpdateText(nullptr, FALSE);
    CString shown = node.GetValueText();
    node.SetValueText(text.c_str());
    if (!node.ParseEditText(static_cast<IQelCommonWatch *>(tree))) {
        Check(!node.IsWritePending());
        Check(bytes == 0 || std::memcmp(node.GetBuffer(), before.data(), bytes) == 0);
        Check(node.GetValueText() == shown || node.GetValueText() == CString(text.c_str()));
    }
    node.UpdateText(nullptr, FALSE);

    // The converters themselves, operations 2 and 3, on a buffer of the value's size.
    for (LONG operation : {LONG(QELCONV_PARSE), LONG(QELCONV_PARSE_SWAPPED)}) {
        BYTE *buffer = bytes > 0 ? static_cast<BYTE *>(std::malloc(bytes)) : nullptr;
        if (buffer != nullptr)
            std::memcpy(buffer, before.data(), bytes);
        CString edit(text.c_str());
        LONG op = operation;
        if (buffer != nullptr)
            node.Convert(&op, edit, buffer, nullptr, nullptr, format);
        if (op == QELCONV_REFUSED)
            Check(std::memcmp(buffer, before.data(), bytes) == 0);
        std::free(buffer);
    }
    return 0;
}
