// Runs the stabs type parser on arbitrary text, line by line and whole, and checks what
// the GNU166 reader relies on: a parse either fails with no tree or gives a tree whose
// inner nodes have the operators of the grammar and whose lists end; the same text parses
// the same way again, with a buffer of any size.
//
// fuzz-seeds: testdata/gnu166/gcc-stabs-*.txt
#include "dbxparser.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// The tree's nodes in a fixed order, walked without recursion, with their contents.
std::string Flatten(const CQelDBXNode *root)
{
    std::string text;
    std::vector<const CQelDBXNode *> pending{root};
    size_t visited = 0;
    while (!pending.empty()) {
        const CQelDBXNode *node = pending.back();
        pending.pop_back();
        Check(++visited < 10000000);
        if (node == nullptr) {
            text += '-';
            continue;
        }
        text += std::to_string(node->Kind) + ":" + std::to_string(node->Value) + ":" + node->Text + ";";
        if (node->Kind != DBX_NODE_INNER) {
            Check(node->Child[0] == nullptr && node->Child[3] == nullptr);
            continue;
        }
        Check(node->Value >= D_VOIDNUMBER && node->Value <= DBX_ENUMERATOR);
        for (const CQelDBXNode *child : node->Child)
            pending.push_back(child);
    }
    return text;
}

void ParseTwice(const std::string &text)
{
    // Kept from input to input, as the reader keeps its parser over a module's strings.
    static CQelDBXParser first(1024);
    static CQelDBXParser second(1);
    const CQelDBXNode *a = first.Parse(text.c_str(), 0);
    const CQelDBXNode *b = second.Parse(text.c_str(), 0);
    Check((a == nullptr) == (b == nullptr));
    if (a != nullptr)
        Check(Flatten(a) == Flatten(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A stabs string ends at its zero, as the reader hands it over.
    const std::string whole(reinterpret_cast<const char *>(data), size);
    const std::string text = whole.substr(0, whole.find('\0'));
    ParseTwice(text);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        ParseTwice(text.substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
