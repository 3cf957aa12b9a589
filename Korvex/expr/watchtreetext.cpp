#include "watchtreetext.h"

#include "watchtokens.h"

#include <cstdio>

namespace {

void Append(std::string &text, const WatchParseNode *node)
{
    char number[40];
    if (node == nullptr) {
        text += '-';
        return;
    }
    switch (node->kind) {
    case kWatchOperator:
        std::snprintf(number, sizeof number, "(%u ", node->number);
        text += number;
        Append(text, node->child[0]);
        text += ' ';
        Append(text, node->child[1]);
        if (node->number == kWatchConditional) {
            text += ' ';
            Append(text, node->child[2]);
        }
        text += ')';
        return;
    case kWatchInteger:
        std::snprintf(number, sizeof number, "%u", node->number);
        break;
    case kWatchFloating:
        std::snprintf(number, sizeof number, "F:%.17g", node->real);
        break;
    case kWatchTypeName:
        text += "T:";
        text += node->name;
        return;
    case kWatchIdentifier:
        text += node->name;
        return;
    default:
        std::snprintf(number, sizeof number, "K:%u", node->number);
        break;
    }
    text += number;
}

} // namespace

std::string WatchTreeText(const WatchParseNode *node)
{
    std::string text;
    Append(text, node);
    return text;
}
