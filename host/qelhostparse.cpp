#include "qelhostparse.h"

#include "qelhostanswers.h"

#include <watchnormalize.h>
#include <watchparser.h>
#include <watchtreetext.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace {

struct ParseOptions {
    std::set<std::string> types;
    int mode = 0;
    bool normalise = false;
    std::vector<std::string> texts;
};

bool ReadOptions(int argc, char **argv, ParseOptions &options)
{
    int i = 0;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
        if (option == "--type" && i + 1 < argc)
            options.types.insert(argv[++i]);
        else if (option == "--mode" && i + 1 < argc && (std::strcmp(argv[i + 1], "0") == 0 || std::strcmp(argv[i + 1], "1") == 0))
            options.mode = argv[++i][0] - '0';
        else if (option == "--normalise")
            options.normalise = true;
        else
            return false;
    }
    options.texts.assign(argv + i, argv + argc);
    return !options.texts.empty();
}

// The names given on the command line are the program's types.
class CGivenTypeNames : public CWatchTypeNames {
public:
    explicit CGivenTypeNames(const std::set<std::string> &types) : m_types(types) {}
    BOOL IsTypeName(LPCSTR name) override { return m_types.count(name) != 0; }

private:
    const std::set<std::string> &m_types;
};

// Prints the answer for one text; false when it did not parse.
bool Answer(CQelWatchParser &parser, const ParseOptions &options, const std::string &text)
{
    if (options.normalise) {
        CString expression(text.c_str()), format;
        CString inner = NormalizeWatchExpression(expression, format, options.mode);
        std::printf("%s\t%s\t%s\n", QelHost::Escaped(static_cast<LPCSTR>(expression)).c_str(),
                    QelHost::Escaped(static_cast<LPCSTR>(format)).c_str(),
                    QelHost::Escaped(static_cast<LPCSTR>(inner)).c_str());
        return true;
    }
    WatchParseNode *root = parser.Parse(text.c_str(), options.mode);
    std::fputs(parser.GetTrace().c_str(), stderr);
    if (root == nullptr) {
        std::fputs(parser.GetErrorReport().c_str(), stdout);
        return false;
    }
    std::printf("%s\n", WatchTreeText(root).c_str());
    return true;
}

} // namespace

int ParseWatchTexts(int argc, char **argv)
{
    ParseOptions options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: qelhost parse [--type NAME]... [--mode 1] [--normalise] TEXT...\n");
        return 2;
    }
    CGivenTypeNames types(options.types);
    CQelWatchParser parser(CAddressValue(), &types);
    bool allParsed = true;
    for (const std::string &text : options.texts) {
        if (text != "-") {
            allParsed = Answer(parser, options, text) && allParsed;
            continue;
        }
        std::string line;
        while (std::getline(std::cin, line))
            allParsed = Answer(parser, options, line) && allParsed;
    }
    std::fflush(stdout);
    return allParsed ? 0 : 1;
}
