// Fuzz target of qelhost session's script reader: any line is split into words or
// refused, every word read as a value or refused, and every value read prints as a word
// that reads as the same value; the words of an answer line are queued as a dialog's
// answer or refused with a reason, and those of an easycode line read as its command or
// refused with one; a click's item path splits into texts that, joined again with every
// ">" and "\\" escaped, split into the same texts; a select-list line read is written
// again and reads the same, so does a browse line, a controller line names a controller
// or is refused with a reason, and a host name comes back from the GUI server as it was given.
// fuzz-seeds: host/qelhost*_test.sh
#include "dialogscript.h"
#include "hostecdebugscript.h"
#include "hostframe.h"
#include "hostreports.h"
#include "qelhostbrowseline.h"
#include "qelhostscript.h"
#include "qelhostselectlistline.h"

#include <userinput.h>

#include <cstdint>
#include <string>

namespace {

void CheckWord(const QelHost::ScriptWord &word)
{
    CComVariant value;
    std::string error;
    if (!QelHost::ParseValue(word, value, &error))
        return;
    std::vector<QelHost::ScriptWord> again;
    if (!QelHost::SplitWords(QelHost::FormatValue(value), again, &error) || again.size() != 1)
        __builtin_trap();
    CComVariant reread;
    if (!QelHost::ParseValue(again[0], reread, &error) ||
        QelHost::FormatValue(reread) != QelHost::FormatValue(value))
        __builtin_trap();
}

void CheckItemPath(const std::string &path)
{
    std::vector<std::string> texts = QelHost::SplitItemPath(path);
    std::string joined;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            joined += '>';
        for (char c : texts[i]) {
            if (c == '>' || c == '\\')
                joined += '\\';
            joined += c;
        }
    }
    if (texts.empty() || QelHost::SplitItemPath(joined) != texts)
        __builtin_trap();
}

void CheckAnswer(const std::vector<QelHost::ScriptWord> &words, QelHost::DialogScript &script)
{
    std::vector<std::string> texts;
    for (size_t i = 1; i < words.size(); ++i)
        texts.push_back(words[i].text);
    const size_t before = script.Unanswered();
    std::string error;
    bool queued = script.Queue(texts, &error);
    if (queued != (script.Unanswered() == before + 1) || (!queued && error.empty()))
        __builtin_trap();
}

// An easycode line is a command with a number of its interface, or a reason.
void CheckEasyCode(const std::vector<QelHost::ScriptWord> &words)
{
    QelHost::EcDebugScriptCommand command;
    std::string error;
    if (!QelHost::ParseEcDebugCommand(words, &command, &error)) {
        if (error.empty())
            __builtin_trap();
        return;
    }
    if (command.iface < 1 || command.iface > 2 || command.values.size() > 8 ||
        (command.kind == QelHost::EcDebugScriptCommand::Event && command.values.size() + 3 != words.size()))
        __builtin_trap();
}

void CheckSelectList(const std::vector<std::string> &texts)
{
    QelHost::SelectListLine line, again;
    std::string error;
    if (!QelHost::ParseSelectListLine(texts, &line, &error)) {
        if (error.empty())
            __builtin_trap();
        return;
    }
    std::vector<std::string> written{"select-list"};
    if (line.pick) {
        written.push_back("pick");
        written.push_back(std::to_string(line.index));
        if (line.close)
            written.push_back("close");
    }
    if (!QelHost::ParseSelectListLine(written, &again, &error) || again.pick != line.pick ||
        again.index != line.index || again.close != line.close)
        __builtin_trap();
}

void CheckBrowse(const std::vector<std::string> &texts)
{
    QelHost::BrowseLine line, again;
    std::string error;
    if (!QelHost::ParseBrowseLine(texts, &line, &error)) {
        if (error.empty())
            __builtin_trap();
        return;
    }
    std::vector<std::string> written{"browse", std::to_string(line.mode)};
    if (line.post)
        written.push_back("post");
    if (line.mode < 0 || !QelHost::ParseBrowseLine(written, &again, &error) || again.mode != line.mode ||
        again.post != line.post)
        __builtin_trap();
}

void CheckController(const std::vector<std::string> &texts)
{
    std::string name, error;
    bool named = QelHost::ParseControllerLine(texts, &name, &error);
    if (named == !error.empty() || (named && (name.empty() || name != texts[1])))
        __builtin_trap();
}

void CheckHostName(const std::vector<std::string> &texts)
{
    std::string name, error;
    if (!QelHost::ParseHostNameLine(texts, &name, &error))
        return;
    CComObject<QelHost::CHostFrame> *frame = nullptr;
    if (FAILED(CComObject<QelHost::CHostFrame>::CreateInstance(&frame)))
        return;
    CComPtr<IQelDebuggerName> hold(frame);
    frame->SetDebuggerName(name);
    CComBSTR given;
    // A NUL inside the text ends it, as every text of the host's interfaces.
    if (hold->GetDebuggerName(&given) != S_OK || QelHost::AnsiText(given.m_str) != name.substr(0, name.find('\0')))
        __builtin_trap();
}

// A key word names a key, or is refused with a reason, never both.
void CheckKeyName(const std::string &text)
{
    int key = -1;
    UINT modifiers = ~0u;
    std::string error;
    bool named = QelHost::ParseKeyName(text, &key, &modifiers, &error);
    if (named != (key != 0) || named == !error.empty() || (modifiers & ~static_cast<UINT>(MK_SHIFT | MK_CONTROL)) != 0)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    QelHost::DialogScript script; // never installed: nothing is answered
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::vector<QelHost::ScriptWord> words;
        std::string error;
        if (!QelHost::IsSkippedLine(line) && QelHost::SplitWords(line, words, &error)) {
            for (const QelHost::ScriptWord &word : words)
                CheckWord(word);
            if (!words.empty() && words[0].text == "answer")
                CheckAnswer(words, script);
            if (!words.empty() && words[0].text == "easycode")
                CheckEasyCode(words);
            // click VIEW BUTTON PATH, and click VIEW BUTTON value PATH on a drawn tree's value.
            if ((words.size() == 4 || (words.size() == 5 && words[3].text == "value")) && words[0].text == "click")
                CheckItemPath(words.back().text);
            std::vector<std::string> texts;
            for (const QelHost::ScriptWord &word : words)
                texts.push_back(word.text);
            if (!texts.empty() && texts[0] == "select-list")
                CheckSelectList(texts);
            if (!texts.empty() && texts[0] == "browse")
                CheckBrowse(texts);
            if (!texts.empty() && texts[0] == "controller")
                CheckController(texts);
            if (!texts.empty() && texts[0] == "host-name")
                CheckHostName(texts);
            if (words.size() == 3 && words[0].text == "key")
                CheckKeyName(words[2].text);
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return 0;
}
