// String handles: one process-wide table of texts, blind to ASCII case as atoms are.
#include "ddeinstance.h"
#include "ddeml.h"

#include <cstring>

namespace qelwin::dde {

namespace {

struct Atom {
    std::string text;
    std::map<DWORD, unsigned> uses; // by instance
};

std::map<uintptr_t, Atom> &Atoms()
{
    static auto *atoms = new std::map<uintptr_t, Atom>;
    return *atoms;
}

std::map<std::string, uintptr_t> &AtomsByKey()
{
    static auto *keys = new std::map<std::string, uintptr_t>;
    return *keys;
}

std::string Folded(const std::string &text)
{
    std::string folded = text;
    for (char &c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

uintptr_t IdOf(HSZ string)
{
    return reinterpret_cast<uintptr_t>(string);
}

void Release(uintptr_t id, Atom &atom, DWORD instance, bool all)
{
    auto use = atom.uses.find(instance);
    if (use == atom.uses.end())
        return;
    if (all || --use->second == 0)
        atom.uses.erase(use);
    if (atom.uses.empty()) {
        AtomsByKey().erase(Folded(atom.text));
        Atoms().erase(id);
    }
}

} // namespace

bool SameText(const std::string &a, const std::string &b)
{
    return Folded(a) == Folded(b);
}

HSZ UseString(DWORD instance, const std::string &text)
{
    static uintptr_t nextId = 1;
    if (text.size() > kMaxNameLength || text.find('\0') != std::string::npos)
        return nullptr;
    std::string key = Folded(text);
    auto found = AtomsByKey().find(key);
    uintptr_t id = 0;
    if (found != AtomsByKey().end()) {
        id = found->second;
    } else {
        id = nextId++;
        AtomsByKey()[key] = id;
        Atoms()[id].text = text;
    }
    ++Atoms()[id].uses[instance];
    return reinterpret_cast<HSZ>(id);
}

bool DropString(DWORD instance, HSZ string)
{
    auto atom = Atoms().find(IdOf(string));
    if (atom == Atoms().end() || atom->second.uses.count(instance) == 0)
        return false;
    Release(atom->first, atom->second, instance, false);
    return true;
}

void DropAllStrings(DWORD instance)
{
    for (auto atom = Atoms().begin(); atom != Atoms().end();) {
        auto next = std::next(atom);
        Release(atom->first, atom->second, instance, true);
        atom = next;
    }
}

bool StringText(HSZ string, std::string *text)
{
    auto atom = Atoms().find(IdOf(string));
    if (atom == Atoms().end())
        return false;
    *text = atom->second.text;
    return true;
}

size_t LiveStrings()
{
    return Atoms().size();
}

} // namespace qelwin::dde

using namespace qelwin::dde;

HSZ DdeCreateStringHandleA(DWORD instance, LPCSTR text, int codePage)
{
    std::lock_guard<std::mutex> hold(Lock());
    if (FindInstance(instance) == nullptr)
        return nullptr;
    HSZ string = text != nullptr && codePage == CP_WINANSI ? UseString(instance, text) : nullptr;
    if (string == nullptr)
        SetError(instance, DMLERR_INVALIDPARAMETER);
    return string;
}

BOOL DdeFreeStringHandle(DWORD instance, HSZ string)
{
    std::lock_guard<std::mutex> hold(Lock());
    if (FindInstance(instance) == nullptr)
        return FALSE;
    if (DropString(instance, string))
        return TRUE;
    SetError(instance, DMLERR_INVALIDPARAMETER);
    return FALSE;
}

int DdeCmpStringHandles(HSZ string1, HSZ string2)
{
    // Texts that differ only in case share their handle.
    if (string1 == string2)
        return 0;
    return IdOf(string1) < IdOf(string2) ? -1 : 1;
}

DWORD DdeQueryStringA(DWORD instance, HSZ string, LPSTR text, DWORD size, int codePage)
{
    std::lock_guard<std::mutex> hold(Lock());
    std::string found;
    if (FindInstance(instance) == nullptr || codePage != CP_WINANSI || !StringText(string, &found)) {
        SetError(instance, DMLERR_INVALIDPARAMETER);
        return 0;
    }
    if (text != nullptr && size > 0) {
        size_t copied = std::min<size_t>(found.size(), size - 1);
        memcpy(text, found.data(), copied);
        text[copied] = '\0';
        return static_cast<DWORD>(copied);
    }
    return static_cast<DWORD>(found.size());
}
