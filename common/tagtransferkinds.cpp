// The field order of every kind of the transfer: the contract between the server's Get
// methods and the clients' unpacking, word for word. Third words of address triples do
// not travel except in labels, lifetimes and variables; the client keeps the record's
// default (0) for them.
#include "tagtransfer.h"

#include <algorithm>
#include <iterator>

namespace {

LONG Word(DWORD value)
{
    return static_cast<LONG>(value);
}

DWORD Unsigned(LONG value)
{
    return static_cast<DWORD>(value);
}

} // namespace

// Group 0: Name; Type, AddressMode, AddressValue, Length.
const TagTransferLayout TagTransfer<SectionTag>::layout = {1, TransferEntries, 4, TransferRows};

void TagTransfer<SectionTag>::Write(const SectionTag &record, TagTransferOut &entry)
{
    entry.texts[0] = &record.Name;
    LONG numbers[] = {record.Type, Word(record.AddressMode), Word(record.AddressValue), Word(record.Length)};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<SectionTag>::Read(SectionTag &record, const TagTransferIn &entry)
{
    record.Name = entry.texts[0];
    record.Type = entry.numbers[0];
    record.AddressMode = Unsigned(entry.numbers[1]);
    record.AddressValue = Unsigned(entry.numbers[2]);
    record.Length = Unsigned(entry.numbers[3]);
}

// Group 100: Name, EntryInFile; Type, SourceLine, AddressMode, AddressValue, Length.
const TagTransferLayout TagTransfer<SourceFileTag>::layout = {2, TransferRows, 5, TransferRows};

void TagTransfer<SourceFileTag>::Write(const SourceFileTag &record, TagTransferOut &entry)
{
    entry.texts[0] = &record.Name;
    entry.texts[1] = &record.EntryInFile;
    LONG numbers[] = {record.Type, record.SourceLine, Word(record.AddressMode), Word(record.AddressValue),
                      Word(record.Length)};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<SourceFileTag>::Read(SourceFileTag &record, const TagTransferIn &entry)
{
    record.Name = entry.texts[0];
    record.EntryInFile = entry.texts[1];
    record.Type = entry.numbers[0];
    record.SourceLine = entry.numbers[1];
    record.AddressMode = Unsigned(entry.numbers[2]);
    record.AddressValue = Unsigned(entry.numbers[3]);
    record.Length = Unsigned(entry.numbers[4]);
}

// Group 200: Name; AddressMode, AddressValue, Length, ReturnType, CallType, Scope. CallType
// travels before Scope although it stands after it in the record.
const TagTransferLayout TagTransfer<FunctionTag>::layout = {1, TransferEntries, 6, TransferRows};

void TagTransfer<FunctionTag>::Write(const FunctionTag &record, TagTransferOut &entry)
{
    entry.texts[0] = &record.Name;
    LONG numbers[] = {Word(record.AddressMode), Word(record.AddressValue), Word(record.Length),
                      record.ReturnType, record.CallType, record.Scope};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<FunctionTag>::Read(FunctionTag &record, const TagTransferIn &entry)
{
    record.Name = entry.texts[0];
    record.AddressMode = Unsigned(entry.numbers[0]);
    record.AddressValue = Unsigned(entry.numbers[1]);
    record.Length = Unsigned(entry.numbers[2]);
    record.ReturnType = entry.numbers[3];
    record.CallType = entry.numbers[4];
    record.Scope = entry.numbers[5];
}

// Group 300: SourceLine, AddressMode, AddressValue, Length.
const TagTransferLayout TagTransfer<SourceLineTag>::layout = {0, TransferNoArray, 4, TransferRows};

void TagTransfer<SourceLineTag>::Write(const SourceLineTag &record, TagTransferOut &entry)
{
    LONG numbers[] = {record.SourceLine, Word(record.AddressMode), Word(record.AddressValue), Word(record.Length)};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<SourceLineTag>::Read(SourceLineTag &record, const TagTransferIn &entry)
{
    record.SourceLine = entry.numbers[0];
    record.AddressMode = Unsigned(entry.numbers[1]);
    record.AddressValue = Unsigned(entry.numbers[2]);
    record.Length = Unsigned(entry.numbers[3]);
}

// Group 400: fields 1, 9, 4 (Name, ScopeText, TypeText); fields 8, 7, 2, 3, 6, 10, 11, 12, 5
// (SymbolIndex, SymbolID, TypeCode, TypeIndex, PointerClass, the triple, SizeInBits).
const TagTransferLayout TagTransfer<VariableTag>::layout = {3, TransferRows, 9, TransferRows};

void TagTransfer<VariableTag>::Write(const VariableTag &record, TagTransferOut &entry)
{
    entry.texts[0] = &record.Name;
    entry.texts[1] = &record.ScopeText;
    entry.texts[2] = &record.TypeText;
    LONG numbers[] = {record.SymbolIndex,       record.SymbolID,          record.TypeCode,
                      record.TypeIndex,         record.PointerClass,      Word(record.AddressMode),
                      Word(record.AddressValue), Word(record.AddressExtra), record.SizeInBits};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<VariableTag>::Read(VariableTag &record, const TagTransferIn &entry)
{
    record.Name = entry.texts[0];
    record.ScopeText = entry.texts[1];
    record.TypeText = entry.texts[2];
    record.SymbolIndex = entry.numbers[0];
    record.SymbolID = entry.numbers[1];
    record.TypeCode = entry.numbers[2];
    record.TypeIndex = entry.numbers[3];
    record.PointerClass = entry.numbers[4];
    record.AddressMode = Unsigned(entry.numbers[5]);
    record.AddressValue = Unsigned(entry.numbers[6]);
    record.AddressExtra = Unsigned(entry.numbers[7]);
    record.SizeInBits = entry.numbers[8];
}

// Group 500: fields 1, 4 (Name, TypeText); fields 2, 3, 5, 6, 7, 8.
const TagTransferLayout TagTransfer<MemberTag>::layout = {2, TransferRows, 6, TransferRows};

void TagTransfer<MemberTag>::Write(const MemberTag &record, TagTransferOut &entry)
{
    entry.texts[0] = &record.Name;
    entry.texts[1] = &record.TypeText;
    LONG numbers[] = {record.TypeCode,     record.TypeIndex, record.SizeInBits,
                      record.PointerClass, record.Offset,    record.Extra};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<MemberTag>::Read(MemberTag &record, const TagTransferIn &entry)
{
    record.Name = entry.texts[0];
    record.TypeText = entry.texts[1];
    record.TypeCode = entry.numbers[0];
    record.TypeIndex = entry.numbers[1];
    record.SizeInBits = entry.numbers[2];
    record.PointerClass = entry.numbers[3];
    record.Offset = entry.numbers[4];
    record.Extra = entry.numbers[5];
}

// Group 600: both triples, all six words; the array names its entries first.
const TagTransferLayout TagTransfer<LifetimeTag>::layout = {0, TransferNoArray, 6, TransferColumns};

void TagTransfer<LifetimeTag>::Write(const LifetimeTag &record, TagTransferOut &entry)
{
    LONG numbers[] = {Word(record.From.AddressMode), Word(record.From.AddressValue), Word(record.From.AddressExtra),
                      Word(record.To.AddressMode),   Word(record.To.AddressValue),   Word(record.To.AddressExtra)};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<LifetimeTag>::Read(LifetimeTag &record, const TagTransferIn &entry)
{
    record.From = CAddressValue(Unsigned(entry.numbers[1]), Unsigned(entry.numbers[0]), Unsigned(entry.numbers[2]));
    record.To = CAddressValue(Unsigned(entry.numbers[4]), Unsigned(entry.numbers[3]), Unsigned(entry.numbers[5]));
}

// Group 700: Name; AddressMode, AddressValue, the third word (a breakpoint range's length),
// Size.
const TagTransferLayout TagTransfer<LabelTag>::layout = {1, TransferEntries, 4, TransferRows};

void TagTransfer<LabelTag>::Write(const LabelTag &record, TagTransferOut &entry)
{
    entry.texts[0] = &record.Name;
    LONG numbers[] = {Word(record.AddressMode), Word(record.AddressValue), Word(record.AddressExtra), record.Size};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<LabelTag>::Read(LabelTag &record, const TagTransferIn &entry)
{
    record.Name = entry.texts[0];
    record.AddressMode = Unsigned(entry.numbers[0]);
    record.AddressValue = Unsigned(entry.numbers[1]);
    record.AddressExtra = Unsigned(entry.numbers[2]);
    record.Size = entry.numbers[3];
}

// Group 800: Name; Number. The client has not matched the register with its own list yet.
const TagTransferLayout TagTransfer<RegisterMapTag>::layout = {1, TransferEntries, 1, TransferEntries};

void TagTransfer<RegisterMapTag>::Write(const RegisterMapTag &record, TagTransferOut &entry)
{
    entry.texts[0] = &record.Name;
    entry.numbers[0] = record.Number;
}

void TagTransfer<RegisterMapTag>::Read(RegisterMapTag &record, const TagTransferIn &entry)
{
    record.Name = entry.texts[0];
    record.Number = entry.numbers[0];
    record.RegisterIndex = -1;
}

// Group 900: both words; the array names its entries first.
const TagTransferLayout TagTransfer<VarEdTag>::layout = {0, TransferNoArray, 2, TransferColumns};

void TagTransfer<VarEdTag>::Write(const VarEdTag &record, TagTransferOut &entry)
{
    entry.numbers[0] = record.Kind;
    entry.numbers[1] = record.Data;
}

void TagTransfer<VarEdTag>::Read(VarEdTag &record, const TagTransferIn &entry)
{
    record.Kind = entry.numbers[0];
    record.Data = entry.numbers[1];
}

// Group 4000, one entry: Name, EntryInFile, SectionName; Type, SourceLine, AddressMode,
// AddressValue, Length, then the section's Type, AddressMode, AddressValue, Length.
const TagTransferLayout TagTransfer<LocationTag>::layout = {3, TransferOneEntry, 9, TransferOneEntry};

void TagTransfer<LocationTag>::Write(const LocationTag &record, TagTransferOut &entry)
{
    entry.texts[0] = &record.Name;
    entry.texts[1] = &record.EntryInFile;
    entry.texts[2] = &record.SectionName;
    LONG numbers[] = {record.Type,
                      record.SourceLine,
                      Word(record.AddressMode),
                      Word(record.AddressValue),
                      Word(record.Length),
                      record.SectionType,
                      Word(record.SectionAddressMode),
                      Word(record.SectionAddressValue),
                      Word(record.SectionLength)};
    std::copy(std::begin(numbers), std::end(numbers), entry.numbers);
}

void TagTransfer<LocationTag>::Read(LocationTag &record, const TagTransferIn &entry)
{
    record.Name = entry.texts[0];
    record.EntryInFile = entry.texts[1];
    record.SectionName = entry.texts[2];
    record.Type = entry.numbers[0];
    record.SourceLine = entry.numbers[1];
    record.AddressMode = Unsigned(entry.numbers[2]);
    record.AddressValue = Unsigned(entry.numbers[3]);
    record.Length = Unsigned(entry.numbers[4]);
    record.SectionType = entry.numbers[5];
    record.SectionAddressMode = Unsigned(entry.numbers[6]);
    record.SectionAddressValue = Unsigned(entry.numbers[7]);
    record.SectionLength = Unsigned(entry.numbers[8]);
}
