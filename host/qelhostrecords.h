// The lines by which qelhost query writes tag records: the request code (decimal), then
// the record's fields in the order the record declares them, split by one tab; texts as
// qelhost writes them (qelhostanswers.h), numbers "0x%X" of their 32 bits, an address
// triple as its three words. A field that does not travel in the transfer arrays shows
// what the client left in it.
#pragma once

#include <tagrecords.h>

#include <string>

namespace QelHost {

std::string RecordLine(LONG code, const SectionTag &record);
std::string RecordLine(LONG code, const SourceFileTag &record);
std::string RecordLine(LONG code, const FunctionTag &record);
std::string RecordLine(LONG code, const SourceLineTag &record);
std::string RecordLine(LONG code, const MemberTag &record);
std::string RecordLine(LONG code, const LifetimeTag &record);
std::string RecordLine(LONG code, const VariableTag &record);
std::string RecordLine(LONG code, const LabelTag &record);
std::string RecordLine(LONG code, const RegisterMapTag &record);
std::string RecordLine(LONG code, const VarEdTag &record);
std::string RecordLine(LONG code, const LocationTag &record);

} // namespace QelHost
