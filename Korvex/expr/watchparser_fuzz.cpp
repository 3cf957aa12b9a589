// Runs the watch parser and the normaliser on arbitrary bytes and checks what callers rely
// on: no crash, no leak, a tree or a report for every parse (never both), and a
// normalised text no longer than the one given.
// fuzz-seeds: testdata/watch/*.txt
#include "watchnormalize.h"
#include "watchparser.h"
#include "watchtreetext.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// Names beginning with T are types.
class CFuzzTypeNames : public CWatchTypeNames {
public:
    BOOL IsTypeName(LPCSTR name) override { return name[0] == 'T'; }
};

bool EndsWith(const std::string &text, const char *end)
{
    const std::string tail(end);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte picks the trace mode; the rest is the text, up to its first NUL.
    const int mode = size > 0 && (data[0] & 1) ? 1 : 0;
    std::string text(reinterpret_cast<const char *>(data), size);
    text = text.substr(size > 0 ? 1 : 0);
    text = text.substr(0, text.find('\0'));

    static CFuzzTypeNames types;
    static CQelWatchParser parser(CAddressValue(), &types);
    WatchParseNode *root = parser.Parse(text.c_str(), mode);
    if (root == nullptr) {
        const std::string &report = parser.GetErrorReport();
        Check(EndsWith(report, "parse error\n") || EndsWith(report, "parser stack overflow\n"));
    } else {
        Check(parser.GetErrorReport().empty());
        Check(!WatchTreeText(root).empty());
    }
    Check((mode == 1) == !parser.GetTrace().empty());

    CString expression(text.c_str()), format;
    CString inner = NormalizeWatchExpression(expression, format, 1);
    Check(inner.GetLength() <= expression.GetLength());
    return 0;
}
