#include "afxstring.h"

#include "afxexcept.h"

#include <windows.h>

#include <cstring>
#include <functional>
#include <new>

namespace {

// The empty string: a header of length 0 and capacity 0 followed by its terminator, as
// every buffer's text follows its header. Read-only, so that a write through a pointer to
// the empty string fails at once instead of quietly changing every empty string.
struct EmptyBlock {
    int length;
    int capacity;
    char terminator;
};
const EmptyBlock kEmpty = {0, 0, 0};
static_assert(offsetof(EmptyBlock, terminator) == 2 * sizeof(int), "the terminator follows the header");

LPSTR EmptyBuffer()
{
    return const_cast<LPSTR>(&kEmpty.terminator);
}

// The longest text a CString holds; lengths are ints, as in the framework, and the header
// and terminator must fit beside the text.
constexpr int kMaxLength = 0x7FFFFFFF - 64;

LPCSTR Safe(LPCSTR text)
{
    return text != NULL ? text : "";
}

int CheckedLength(long long length)
{
    if (length > kMaxLength)
        AfxThrowMemoryException();
    return static_cast<int>(length);
}

int Clamp(long long value, int low, int high)
{
    return value < low ? low : value > high ? high : static_cast<int>(value);
}

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// std::less gives a total order even for pointers into different objects.
bool PointsInto(LPCSTR p, LPCSTR begin, int length)
{
    std::less<LPCSTR> before;
    return !before(p, begin) && before(p, begin + length + 1);
}


} // namespace

CString::CString() : m_pchData(EmptyBuffer()) {}

CString::CString(const CString &other) : m_pchData(EmptyBuffer())
{
    AssignCopy(other.m_pchData, other.GetLength());
}

CString::CString(CString &&other) noexcept : m_pchData(other.m_pchData)
{
    other.m_pchData = EmptyBuffer();
}

CString::CString(LPCSTR text) : m_pchData(EmptyBuffer())
{
    text = Safe(text);
    AssignCopy(text, CheckedLength(static_cast<long long>(strlen(text))));
}

CString::CString(LPCSTR text, int length) : m_pchData(EmptyBuffer())
{
    if (text != NULL && length > 0)
        AssignCopy(text, length);
}

CString::CString(LPCWSTR text) : m_pchData(EmptyBuffer())
{
    *this = text;
}

CString::CString(char ch, int repeat) : m_pchData(EmptyBuffer())
{
    if (repeat > 0) {
        AllocBuffer(CheckedLength(repeat));
        memset(m_pchData, ch, static_cast<size_t>(repeat));
        SetLength(repeat);
    }
}

CString::~CString()
{
    Release();
}

void CString::Empty()
{
    Release();
    m_pchData = EmptyBuffer();
}

char CString::GetAt(int index) const
{
    AfxCheckIndex(index >= 0 && index < GetLength());
    return m_pchData[index];
}

void CString::SetAt(int index, char ch)
{
    AfxCheckIndex(index >= 0 && index < GetLength());
    m_pchData[index] = ch;
}

const CString &CString::operator=(const CString &other)
{
    AssignCopy(other.m_pchData, other.GetLength());
    return *this;
}

const CString &CString::operator=(CString &&other) noexcept
{
    if (this != &other) {
        Release();
        m_pchData = other.m_pchData;
        other.m_pchData = EmptyBuffer();
    }
    return *this;
}

const CString &CString::operator=(LPCSTR text)
{
    text = Safe(text);
    AssignCopy(text, CheckedLength(static_cast<long long>(strlen(text))));
    return *this;
}

const CString &CString::operator=(LPCWSTR text)
{
    int wideLength = 0;
    if (text != NULL)
        while (text[wideLength] != 0)
            wideLength = CheckedLength(wideLength + 1LL);
    CString converted;
    if (wideLength > 0) {
        // Code page 1252 gives at most one byte per UTF-16 unit.
        converted.AllocBuffer(wideLength);
        int length = WideCharToMultiByte(CP_ACP, 0, text, wideLength, converted.m_pchData, wideLength, NULL, NULL);
        converted.SetLength(length > 0 ? length : 0);
    }
    return *this = static_cast<CString &&>(converted);
}

const CString &CString::operator=(char ch)
{
    AssignCopy(&ch, 1);
    return *this;
}

const CString &CString::operator+=(const CString &other)
{
    AppendCopy(other.m_pchData, other.GetLength());
    return *this;
}

const CString &CString::operator+=(LPCSTR text)
{
    text = Safe(text);
    AppendCopy(text, CheckedLength(static_cast<long long>(strlen(text))));
    return *this;
}

const CString &CString::operator+=(char ch)
{
    AppendCopy(&ch, 1);
    return *this;
}

int CString::Compare(LPCSTR text) const
{
    return strcmp(m_pchData, Safe(text));
}

int CString::CompareNoCase(LPCSTR text) const
{
    return _stricmp(m_pchData, Safe(text));
}

int CString::Collate(LPCSTR text) const
{
    return strcmp(m_pchData, Safe(text));
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    int length = GetLength();
    int start = Clamp(first, 0, length);
    int end = Clamp(static_cast<long long>(start) + (count > 0 ? count : 0), start, length);
    return CString(m_pchData + start, end - start);
}

CString CString::Left(int count) const
{
    return CString(m_pchData, Clamp(count, 0, GetLength()));
}

CString CString::Right(int count) const
{
    int n = Clamp(count, 0, GetLength());
    return CString(m_pchData + GetLength() - n, n);
}

CString CString::SpanIncluding(LPCSTR charSet) const
{
    return Left(static_cast<int>(strspn(m_pchData, Safe(charSet))));
}

CString CString::SpanExcluding(LPCSTR charSet) const
{
    return Left(static_cast<int>(strcspn(m_pchData, Safe(charSet))));
}

void CString::MakeUpper()
{
    for (int i = 0; i < GetLength(); i++)
        if (m_pchData[i] >= 'a' && m_pchData[i] <= 'z')
            m_pchData[i] = static_cast<char>(m_pchData[i] - 'a' + 'A');
}

void CString::MakeLower()
{
    for (int i = 0; i < GetLength(); i++)
        if (m_pchData[i] >= 'A' && m_pchData[i] <= 'Z')
            m_pchData[i] = static_cast<char>(m_pchData[i] - 'A' + 'a');
}

void CString::MakeReverse()
{
    for (int i = 0, j = GetLength() - 1; i < j; i++, j--) {
        char c = m_pchData[i];
        m_pchData[i] = m_pchData[j];
        m_pchData[j] = c;
    }
}

int CString::Replace(char oldChar, char newChar)
{
    int count = 0;
    if (oldChar == newChar)
        return 0;
    for (int i = 0; i < GetLength(); i++)
        if (m_pchData[i] == oldChar) {
            m_pchData[i] = newChar;
            count++;
        }
    return count;
}

int CString::Replace(LPCSTR oldText, LPCSTR newText)
{
    int oldLength = oldText != NULL ? CheckedLength(static_cast<long long>(strlen(oldText))) : 0;
    if (oldLength == 0)
        return 0;
    newText = Safe(newText);
    int newLength = CheckedLength(static_cast<long long>(strlen(newText)));
    // Matches are found left to right and do not overlap; the result is built apart, so
    // either text may point into this string.
    CString result;
    int count = 0;
    int pos = 0;
    int length = GetLength();
    while (pos <= length - oldLength) {
        const void *hit = memmem(m_pchData + pos, static_cast<size_t>(length - pos), oldText,
                                 static_cast<size_t>(oldLength));
        if (hit == NULL)
            break;
        int at = static_cast<int>(static_cast<LPCSTR>(hit) - m_pchData);
        result.AppendCopy(m_pchData + pos, at - pos);
        result.AppendCopy(newText, newLength);
        pos = at + oldLength;
        count++;
    }
    if (count > 0) {
        result.AppendCopy(m_pchData + pos, length - pos);
        *this = static_cast<CString &&>(result);
    }
    return count;
}

int CString::Remove(char ch)
{
    int kept = 0;
    int length = GetLength();
    for (int i = 0; i < length; i++)
        if (m_pchData[i] != ch)
            m_pchData[kept++] = m_pchData[i];
    if (kept != length)
        SetLength(kept);
    return length - kept;
}

int CString::Insert(int index, char ch)
{
    SpliceAt(Clamp(index, 0, GetLength()), 0, &ch, 1);
    return GetLength();
}

int CString::Insert(int index, LPCSTR text)
{
    text = Safe(text);
    SpliceAt(Clamp(index, 0, GetLength()), 0, text, CheckedLength(static_cast<long long>(strlen(text))));
    return GetLength();
}

int CString::Delete(int index, int count)
{
    int start = Clamp(index, 0, GetLength());
    int end = Clamp(static_cast<long long>(start) + (count > 0 ? count : 0), start, GetLength());
    if (end > start)
        SpliceAt(start, end - start, NULL, 0);
    return GetLength();
}

void CString::TrimLeft()
{
    int n = 0;
    while (n < GetLength() && IsCSpace(m_pchData[n]))
        n++;
    Delete(0, n);
}

void CString::TrimLeft(char target)
{
    int n = 0;
    while (n < GetLength() && m_pchData[n] == target)
        n++;
    Delete(0, n);
}

void CString::TrimLeft(LPCSTR targets)
{
    targets = Safe(targets);
    int n = 0;
    while (n < GetLength() && m_pchData[n] != 0 && strchr(targets, m_pchData[n]) != NULL)
        n++;
    Delete(0, n);
}

void CString::TrimRight()
{
    int n = GetLength();
    while (n > 0 && IsCSpace(m_pchData[n - 1]))
        n--;
    if (n != GetLength())
        SetLength(n);
}

void CString::TrimRight(char target)
{
    int n = GetLength();
    while (n > 0 && m_pchData[n - 1] == target)
        n--;
    if (n != GetLength())
        SetLength(n);
}

void CString::TrimRight(LPCSTR targets)
{
    targets = Safe(targets);
    int n = GetLength();
    while (n > 0 && m_pchData[n - 1] != 0 && strchr(targets, m_pchData[n - 1]) != NULL)
        n--;
    if (n != GetLength())
        SetLength(n);
}

int CString::Find(char ch, int start) const
{
    if (start < 0)
        start = 0;
    if (start >= GetLength())
        return -1;
    const void *hit = memchr(m_pchData + start, ch, static_cast<size_t>(GetLength() - start));
    return hit != NULL ? static_cast<int>(static_cast<LPCSTR>(hit) - m_pchData) : -1;
}

int CString::Find(LPCSTR text, int start) const
{
    if (text == NULL)
        return -1;
    if (start < 0)
        start = 0;
    if (start > GetLength())
        return -1;
    LPCSTR hit = strstr(m_pchData + start, text);
    return hit != NULL ? static_cast<int>(hit - m_pchData) : -1;
}

int CString::ReverseFind(char ch) const
{
    const void *hit = memrchr(m_pchData, ch, static_cast<size_t>(GetLength()));
    return hit != NULL ? static_cast<int>(static_cast<LPCSTR>(hit) - m_pchData) : -1;
}

int CString::FindOneOf(LPCSTR charSet) const
{
    LPCSTR hit = strpbrk(m_pchData, Safe(charSet));
    return hit != NULL ? static_cast<int>(hit - m_pchData) : -1;
}

LPSTR CString::GetBuffer(int minLength)
{
    // Always a buffer of this string's own, even for 0, so that the caller may write the
    // terminator.
    if ((m_pchData == EmptyBuffer()) || minLength > Data()->capacity)
        Grow(minLength > GetLength() ? minLength : GetLength());
    return m_pchData;
}

LPSTR CString::GetBufferSetLength(int length)
{
    if (length < 0)
        length = 0;
    GetBuffer(length);
    SetLength(length);
    return m_pchData;
}

void CString::ReleaseBuffer(int newLength)
{
    if (m_pchData == EmptyBuffer())
        return;
    int capacity = Data()->capacity;
    if (newLength < 0)
        newLength = static_cast<int>(strnlen(m_pchData, static_cast<size_t>(capacity)));
    SetLength(newLength < capacity ? newLength : capacity);
}

void CString::FreeExtra()
{
    if (!(m_pchData == EmptyBuffer()) && Data()->capacity > GetLength()) {
        CString exact(m_pchData, GetLength());
        *this = static_cast<CString &&>(exact);
    }
}

LPSTR CString::LockBuffer()
{
    return GetBuffer(0);
}

void CString::AllocBuffer(int capacity)
{
    size_t bytes = sizeof(Header) + static_cast<size_t>(capacity) + 1;
    void *block = ::operator new(bytes, std::nothrow);
    if (block == NULL)
        AfxThrowMemoryException();
    Header *header = new (block) Header{0, capacity};
    Release();
    m_pchData = reinterpret_cast<LPSTR>(header + 1);
    m_pchData[0] = 0;
}

void CString::Release()
{
    if (!(m_pchData == EmptyBuffer())) {
        Header *header = Data();
        header->~Header();
        ::operator delete(header);
    }
    m_pchData = EmptyBuffer();
}

void CString::SetLength(int length)
{
    Data()->length = length;
    m_pchData[length] = 0;
}

void CString::Grow(int capacity)
{
    CString larger;
    larger.AllocBuffer(capacity);
    memcpy(larger.m_pchData, m_pchData, static_cast<size_t>(GetLength()));
    larger.SetLength(GetLength());
    *this = static_cast<CString &&>(larger);
}

void CString::AssignCopy(LPCSTR text, int length)
{
    if (length == 0) {
        Empty();
        return;
    }
    if (!(m_pchData == EmptyBuffer()) && length <= Data()->capacity) {
        memmove(m_pchData, text, static_cast<size_t>(length)); // the text may be this string's own
        SetLength(length);
        return;
    }
    CString copy;
    copy.AllocBuffer(length);
    memcpy(copy.m_pchData, text, static_cast<size_t>(length));
    copy.SetLength(length);
    *this = static_cast<CString &&>(copy);
}

void CString::AppendCopy(LPCSTR text, int length)
{
    SpliceAt(GetLength(), 0, text, length);
}

void CString::SpliceAt(int index, int removeCount, LPCSTR insert, int insertCount)
{
    int length = GetLength();
    int newLength = CheckedLength(static_cast<long long>(length) - removeCount + insertCount);
    if (insertCount > 0 && PointsInto(insert, m_pchData, length)) {
        CString own(insert, insertCount);
        SpliceAt(index, removeCount, own.m_pchData, insertCount);
        return;
    }
    if (newLength == 0) {
        Empty();
        return;
    }
    if ((m_pchData == EmptyBuffer()) || newLength > Data()->capacity) {
        // Grown by half again, so that a string built by many appends is copied only a
        // logarithmic number of times.
        long long wanted = static_cast<long long>(newLength) + (newLength >> 1);
        Grow(CheckedLength(wanted > kMaxLength ? newLength : wanted));
    }
    memmove(m_pchData + index + insertCount, m_pchData + index + removeCount,
            static_cast<size_t>(length - index - removeCount));
    if (insertCount > 0)
        memcpy(m_pchData + index, insert, static_cast<size_t>(insertCount));
    SetLength(newLength);
}

CString operator+(const CString &a, const CString &b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString &a, LPCSTR b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(LPCSTR a, const CString &b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString &a, char b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(char a, const CString &b)
{
    CString result(a);
    result += b;
    return result;
}
