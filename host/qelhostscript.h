// The script language of qelhost session: lines of words, and the values that commands
// take and print.
//
// - A line is skipped when it is empty or blank, or when its first character that is no
//   blank is '#'.
// - Words are split at blanks and tabs. A part of a word in double quotes may hold
//   blanks; the quotes go, and inside them \" and \\ stand for " and \ (any other
//   backslash stays as it is). `text:247="a b"` is one word.
// - Numbers are decimal or hexadecimal with "0x".
// - Values: u4:N, i4:N (N may be negative), bool:true, bool:false or bool:N (VT_BOOL
//   holding N), bstr:TEXT, bstrs:A,B,... (VT_ARRAY|VT_BSTR, split at commas that stand
//   outside quotes; "bstrs:" alone is an array of none), empty.
#pragma once

#include <atlbase.h>

#include <string>
#include <vector>

namespace QelHost {

// One word: its text, and for each character whether it stood inside quotes.
struct ScriptWord {
    std::string text;
    std::vector<bool> quoted;
};

// Whether the line holds no command.
bool IsSkippedLine(const std::string &line);

// The words of `line`; false with the reason in *error for an unterminated quote or a
// NUL character.
bool SplitWords(const std::string &line, std::vector<ScriptWord> &words, std::string *error);

// A number as scripts write them, within [minimum, maximum].
bool ParseScriptNumber(const std::string &text, long long minimum, long long maximum, long long *value);

// The value a word writes; false with the reason in *error.
bool ParseValue(const ScriptWord &word, CComVariant &value, std::string *error);

// A value in the syntax above where it has one: an interface prints as "unknown" (or
// "unknown:null"), any other type as "vt:0xNNNN".
std::string FormatValue(const VARIANT &value);

// `text` as a script writes it: in quotes when it is empty or holds a blank, a tab, a
// quote, a backslash or (with `commaSplits`) a comma.
std::string QuoteText(const std::string &text, bool commaSplits);

// The texts of a tree item's path: split at ">", where "\>" stands for ">" and "\\" for
// "\" (every other backslash is itself). Never empty: "" is one empty text.
std::vector<std::string> SplitItemPath(const std::string &path);

// The key and modifiers (MK_SHIFT, MK_CONTROL) of a key word KEY[+shift][+ctrl]; false
// with the reason for a modifier or a key that there is not.
bool ParseKeyName(const std::string &text, int *key, UINT *modifiers, std::string *error);

} // namespace QelHost
