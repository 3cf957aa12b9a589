#include "qelhostrecords.h"

#include "qelhostanswers.h"

#include <cstdio>

namespace QelHost {

namespace {

class Line {
public:
    explicit Line(LONG code) : m_text(std::to_string(code)) {}

    Line &operator<<(const CString &text)
    {
        m_text += '\t';
        m_text += Escaped(static_cast<LPCSTR>(text));
        return *this;
    }
    Line &operator<<(DWORD number)
    {
        char text[16];
        std::snprintf(text, sizeof text, "\t0x%X", static_cast<unsigned>(number));
        m_text += text;
        return *this;
    }
    Line &operator<<(LONG number) { return *this << static_cast<DWORD>(number); }
    Line &operator<<(const CAddressValue &address)
    {
        return *this << address.AddressMode << address.AddressValue << address.AddressExtra;
    }

    operator std::string() const { return m_text; }

private:
    std::string m_text;
};

} // namespace

std::string RecordLine(LONG code, const SectionTag &r)
{
    return Line(code) << r.Type << r.AddressMode << r.AddressValue << r.AddressExtra << r.Length << r.Name;
}

std::string RecordLine(LONG code, const SourceFileTag &r)
{
    return Line(code) << r.Name << r.Type << r.EntryInFile << r.SourceLine << r.AddressMode << r.AddressValue
                      << r.AddressExtra << r.Length;
}

std::string RecordLine(LONG code, const FunctionTag &r)
{
    return Line(code) << r.Name << r.AddressMode << r.AddressValue << r.AddressExtra << r.Length << r.ReturnType
                      << r.Scope << r.CallType;
}

std::string RecordLine(LONG code, const SourceLineTag &r)
{
    return Line(code) << r.SourceLine << r.AddressMode << r.AddressValue << r.AddressExtra << r.Length;
}

std::string RecordLine(LONG code, const MemberTag &r)
{
    return Line(code) << r.Name << r.TypeCode << r.TypeIndex << r.TypeText << r.SizeInBits << r.PointerClass
                      << r.Offset << r.Extra;
}

std::string RecordLine(LONG code, const LifetimeTag &r)
{
    return Line(code) << r.From << r.To;
}

std::string RecordLine(LONG code, const VariableTag &r)
{
    return Line(code) << r.Name << r.TypeCode << r.TypeIndex << r.TypeText << r.SizeInBits << r.PointerClass
                      << r.SymbolID << r.SymbolIndex << r.ScopeText << r.AddressMode << r.AddressValue
                      << r.AddressExtra;
}

std::string RecordLine(LONG code, const LabelTag &r)
{
    return Line(code) << r.Name << r.AddressMode << r.AddressValue << r.AddressExtra << r.Size;
}

std::string RecordLine(LONG code, const RegisterMapTag &r)
{
    return Line(code) << r.Name << r.Number << r.RegisterIndex;
}

std::string RecordLine(LONG code, const VarEdTag &r)
{
    return Line(code) << r.Kind << r.Data;
}

std::string RecordLine(LONG code, const LocationTag &r)
{
    return Line(code) << r.Name << r.Type << r.EntryInFile << r.SourceLine << r.AddressMode << r.AddressValue
                      << r.AddressExtra << r.Length << r.SectionName << r.SectionType << r.SectionAddressMode
                      << r.SectionAddressValue << r.SectionAddressExtra << r.SectionLength;
}

} // namespace QelHost
