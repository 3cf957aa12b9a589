#include "collation.h"

#include <vector>

namespace {

// Primary groups, in order; within a group the primary value orders.
enum : unsigned { Symbol = 1, Digit = 2, Letter = 3 };

// One collation element: what a character means at each level.
struct Element {
    unsigned primary;   // group * 256 + place within the group
    unsigned char accent;
    unsigned char upper;
};

// What a byte of code page 1252 sorts as: up to two elements (ligatures expand), or none
// for the hyphen and apostrophe, which only count at the last level.
struct ByteWeights {
    unsigned char count;
    bool special;
    Element element[2];
};

enum Accent : unsigned char { None, Acute, Grave, Circumflex, Tilde, Diaeresis, Ring, Cedilla, Stroke, Caron, Eth };

Element LetterElement(char base, unsigned char accent)
{
    bool upper = base >= 'A' && base <= 'Z';
    unsigned place = static_cast<unsigned>((upper ? base - 'A' : base - 'a'));
    return Element{Letter * 256 + place, accent, static_cast<unsigned char>(upper)};
}

struct Table {
    ByteWeights byte[256];

    void SetLetter(unsigned char c, char base, unsigned char accent)
    {
        byte[c] = ByteWeights{1, false, {LetterElement(base, accent), {}}};
    }

    void SetPair(unsigned char c, char first, char second)
    {
        byte[c] = ByteWeights{2, false, {LetterElement(first, None), LetterElement(second, None)}};
    }

    Table()
    {
        for (unsigned c = 0; c < 256; ++c)
            byte[c] = ByteWeights{1, false, {{Symbol * 256 + c, None, 0}, {}}};
        byte[static_cast<unsigned char>('-')] = ByteWeights{0, true, {}};
        byte[static_cast<unsigned char>('\'')] = ByteWeights{0, true, {}};
        byte[0xAD] = ByteWeights{0, true, {}}; // soft hyphen
        for (unsigned c = '0'; c <= '9'; ++c)
            byte[c] = ByteWeights{1, false, {{Digit * 256 + c, None, 0}, {}}};
        for (char c = 'a'; c <= 'z'; ++c) {
            SetLetter(static_cast<unsigned char>(c), c, None);
            SetLetter(static_cast<unsigned char>(c - 'a' + 'A'), static_cast<char>(c - 'a' + 'A'), None);
        }

        // Latin-1 letters: the upper-case half is 0xC0-0xDE, lower case 0x20 above.
        static const struct {
            unsigned char code;
            char base;
            unsigned char accent;
        } latin[] = {
            {0xC0, 'A', Grave}, {0xC1, 'A', Acute}, {0xC2, 'A', Circumflex}, {0xC3, 'A', Tilde},
            {0xC4, 'A', Diaeresis}, {0xC5, 'A', Ring}, {0xC7, 'C', Cedilla}, {0xC8, 'E', Grave},
            {0xC9, 'E', Acute}, {0xCA, 'E', Circumflex}, {0xCB, 'E', Diaeresis}, {0xCC, 'I', Grave},
            {0xCD, 'I', Acute}, {0xCE, 'I', Circumflex}, {0xCF, 'I', Diaeresis}, {0xD0, 'D', Eth},
            {0xD1, 'N', Tilde}, {0xD2, 'O', Grave}, {0xD3, 'O', Acute}, {0xD4, 'O', Circumflex},
            {0xD5, 'O', Tilde}, {0xD6, 'O', Diaeresis}, {0xD8, 'O', Stroke}, {0xD9, 'U', Grave},
            {0xDA, 'U', Acute}, {0xDB, 'U', Circumflex}, {0xDC, 'U', Diaeresis}, {0xDD, 'Y', Acute},
        };
        for (const auto &l : latin) {
            SetLetter(l.code, l.base, l.accent);
            SetLetter(static_cast<unsigned char>(l.code + 0x20), static_cast<char>(l.base - 'A' + 'a'), l.accent);
        }
        SetLetter(0xFF, 'y', Diaeresis);
        SetLetter(0x9F, 'Y', Diaeresis);
        SetLetter(0x8A, 'S', Caron);
        SetLetter(0x9A, 's', Caron);
        SetLetter(0x8E, 'Z', Caron);
        SetLetter(0x9E, 'z', Caron);
        SetLetter(0x83, 'f', Stroke); // the florin sign is a hooked f
        SetPair(0xC6, 'A', 'E');
        SetPair(0xE6, 'a', 'e');
        SetPair(0x8C, 'O', 'E');
        SetPair(0x9C, 'o', 'e');
        SetPair(0xDF, 's', 's');
        // Thorn is a letter of its own, after z.
        byte[0xDE] = ByteWeights{1, false, {{Letter * 256 + 26, None, 1}, {}}};
        byte[0xFE] = ByteWeights{1, false, {{Letter * 256 + 26, None, 0}, {}}};
    }
};

const Table &Weights()
{
    static const Table table;
    return table;
}

struct SortKey {
    std::vector<Element> elements;
    std::vector<unsigned> specials; // position * 256 + byte of each hyphen or apostrophe
};

// Into `key`, whose buffers are kept from call to call: sorting a long list compares
// texts many times over, and each comparison would otherwise allocate its two keys.
void MakeKey(const char *text, SortKey &key)
{
    const Table &table = Weights();
    key.elements.clear();
    key.specials.clear();
    for (unsigned position = 0; text[position] != '\0'; ++position) {
        unsigned char c = static_cast<unsigned char>(text[position]);
        const ByteWeights &w = table.byte[c];
        if (w.special)
            key.specials.push_back(position * 256 + c);
        for (unsigned i = 0; i < w.count; ++i)
            key.elements.push_back(w.element[i]);
    }
}

template <typename Get> int CompareLevel(const std::vector<Element> &a, const std::vector<Element> &b, Get get)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned wa = get(a[i]), wb = get(b[i]);
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The lower-case byte of a code page 1252 letter; other bytes stay.
unsigned char FoldCase(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

int Compare(const char *a, const char *b, bool withCase)
{
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    thread_local SortKey ka, kb;
    MakeKey(a, ka);
    MakeKey(b, kb);
    if (int r = CompareLevel(ka.elements, kb.elements, [](const Element &e) { return e.primary; }))
        return r;
    if (int r = CompareLevel(ka.elements, kb.elements, [](const Element &e) { return unsigned(e.accent); }))
        return r;
    if (withCase) {
        if (int r = CompareLevel(ka.elements, kb.elements, [](const Element &e) { return unsigned(e.upper); }))
            return r;
    }
    size_t n = ka.specials.size() < kb.specials.size() ? ka.specials.size() : kb.specials.size();
    for (size_t i = 0; i < n; ++i) {
        if (ka.specials[i] != kb.specials[i])
            return ka.specials[i] < kb.specials[i] ? -1 : 1;
    }
    if (ka.specials.size() != kb.specials.size())
        return ka.specials.size() < kb.specials.size() ? -1 : 1;
    // Equal at every level of Windows' table: the bytes decide, so that a sort by this
    // order is total and only the same text is equal.
    for (size_t i = 0;; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (!withCase) {
            ca = FoldCase(ca);
            cb = FoldCase(cb);
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

} // namespace

int lstrcmpA(LPCSTR a, LPCSTR b)
{
    return Compare(a, b, true);
}

int lstrcmpiA(LPCSTR a, LPCSTR b)
{
    return Compare(a, b, false);
}
