// The table of request codes. A method's argument kinds come from its own signature
// (LONG a number, BSTR a text, the last parameter the request id), so an entry names
// only the code, the request method, the record kind and the Get method.
#include "qelhostrequests.h"

#include "qelhostrecords.h"

#include <atlbase.h>
#include <tagtransfer.h>

#include <array>
#include <tuple>
#include <type_traits>
#include <utility>

namespace QelHost {

namespace {

template <class Parameter>
struct ArgumentOf;

template <>
struct ArgumentOf<LONG> {
    static constexpr char kind = 'n';
    static LONG Value(const RequestArgument &argument) { return argument.number; }
};

template <>
struct ArgumentOf<BSTR> {
    static constexpr char kind = 't';
    // The text lives until the end of the call that it is an argument of.
    static CComBSTR Value(const RequestArgument &argument) { return CComBSTR(argument.text.c_str()); }
};

template <class Method>
struct RequestMethod;

template <class... Parameters>
struct RequestMethod<HRESULT (STDMETHODCALLTYPE IQelSymbol::*)(Parameters...)> {
    static constexpr size_t count = sizeof...(Parameters) - 1;
    template <size_t I>
    using Parameter = std::tuple_element_t<I, std::tuple<Parameters...>>;
    static_assert(std::is_same_v<Parameter<count>, int *>, "a request method ends with the request id");
};

template <class Shape, size_t... I>
constexpr std::array<char, Shape::count + 1> KindsOf(std::index_sequence<I...>)
{
    return {ArgumentOf<typename Shape::template Parameter<I>>::kind..., '\0'};
}

// The kinds of the arguments of `method`, one letter each.
template <auto method>
constexpr auto kKinds = KindsOf<RequestMethod<decltype(method)>>(
    std::make_index_sequence<RequestMethod<decltype(method)>::count>());

template <auto method>
HRESULT Submit(IQelSymbol *symbol, const std::vector<RequestArgument> &arguments, int *request)
{
    using Shape = RequestMethod<decltype(method)>;
    return [&]<size_t... I>(std::index_sequence<I...>) {
        return (symbol->*method)(ArgumentOf<typename Shape::template Parameter<I>>::Value(arguments[I])..., request);
    }(std::make_index_sequence<Shape::count>());
}

// The answer of a request: the records of kind `Record`, fetched by the Get method `get`.
template <class Record, auto get>
struct Answer {
    static RequestAnswer Fetch(IQelSymbol *symbol, LONG code, int request)
    {
        RequestAnswer answer;
        VARIANT names, values;
        VariantInit(&names);
        VariantInit(&values);
        CArray<Record, Record &> records;
        if constexpr (TagTransfer<Record>::hasTexts) {
            answer.result = (symbol->*get)(request, &names, &values);
            if (answer.result == S_OK)
                answer.unpacking = UnpackTagRecords(names, values, records);
        } else {
            answer.result = (symbol->*get)(request, &values);
            if (answer.result == S_OK)
                answer.unpacking = UnpackTagRecords(values, records);
        }
        answer.unpacked = std::chrono::steady_clock::now();
        FreeTransferVariant(&names);
        FreeTransferVariant(&values);
        answer.malformed = FAILED(answer.unpacking);
        for (int i = 0; i < records.GetSize(); ++i)
            answer.records.push_back(RecordLine(code, records[i]));
        return answer;
    }
};

// The answer of code 4000: one location, which always comes.
struct LocationAnswer {
    static RequestAnswer Fetch(IQelSymbol *symbol, LONG code, int request)
    {
        RequestAnswer answer;
        VARIANT names, values;
        VariantInit(&names);
        VariantInit(&values);
        LocationTag location;
        answer.result = symbol->GetLocation(request, &names, &values);
        if (answer.result == S_OK)
            answer.unpacking = UnpackTagRecords(names, values, location);
        answer.unpacked = std::chrono::steady_clock::now();
        FreeTransferVariant(&names);
        FreeTransferVariant(&values);
        answer.malformed = FAILED(answer.unpacking);
        if (answer.result == S_OK && !answer.malformed)
            answer.records.push_back(RecordLine(code, location));
        return answer;
    }
};

enum Needs { NeedsProgram, AnswersWithoutProgram };

template <auto method, class Answered>
constexpr RequestCode Entry(LONG code, Needs needs = NeedsProgram)
{
    return {code, needs == AnswersWithoutProgram, kKinds<method>.data(), &Submit<method>,
            &Answered::Fetch};
}

using Sections = Answer<SectionTag, &IQelSymbol::GetSections>;
using SourceFiles = Answer<SourceFileTag, &IQelSymbol::GetSourceFiles>;
using Functions = Answer<FunctionTag, &IQelSymbol::GetFunctions>;
using SourceLines = Answer<SourceLineTag, &IQelSymbol::GetSourceLines>;
using Members = Answer<MemberTag, &IQelSymbol::GetMembers>;
using Lifetimes = Answer<LifetimeTag, &IQelSymbol::GetLifetime>;
using Variables = Answer<VariableTag, &IQelSymbol::GetVariables>;
using Labels = Answer<LabelTag, &IQelSymbol::GetLabels>;
using RegisterMap = Answer<RegisterMapTag, &IQelSymbol::GetRegisterMap>;
using VarEdVariables = Answer<VarEdTag, &IQelSymbol::GetVarEdVariables>;

const RequestCode kRequestCodes[] = {
    Entry<&IQelSymbol::Sections, Sections>(0, AnswersWithoutProgram),
    Entry<&IQelSymbol::SectionByName, Sections>(1, AnswersWithoutProgram),
    Entry<&IQelSymbol::SectionByAddress, Sections>(2, AnswersWithoutProgram),
    Entry<&IQelSymbol::SourceFiles, SourceFiles>(100),
    Entry<&IQelSymbol::SourceFileByPath, SourceFiles>(101),
    Entry<&IQelSymbol::SourceFileByAddress, SourceFiles>(102),
    Entry<&IQelSymbol::SourceFileLines, SourceFiles>(103),
    Entry<&IQelSymbol::Functions, Functions>(200),
    Entry<&IQelSymbol::FunctionByName, Functions>(201),
    Entry<&IQelSymbol::FunctionByAddress, Functions>(202),
    Entry<&IQelSymbol::FunctionsOfSourceFile, Functions>(203),
    Entry<&IQelSymbol::SourceLinesOfSourceFile, SourceLines>(301),
    Entry<&IQelSymbol::SourceLineRangesByAddress, SourceLines>(302),
    Entry<&IQelSymbol::Globals, Variables>(401),
    Entry<&IQelSymbol::GlobalsInScope, Variables>(402),
    Entry<&IQelSymbol::Statics, Variables>(403),
    Entry<&IQelSymbol::StaticsInScope, Variables>(404),
    Entry<&IQelSymbol::LocalsInScope, Variables>(405),
    Entry<&IQelSymbol::VariableWithScope, Variables>(406),
    Entry<&IQelSymbol::Parameters, Variables>(407),
    Entry<&IQelSymbol::VariableByIndex, Variables>(408),
    Entry<&IQelSymbol::VariablesInScope, Variables>(409),
    Entry<&IQelSymbol::Type, Members>(500),
    Entry<&IQelSymbol::MembersOfType, Members>(501),
    Entry<&IQelSymbol::Lifetime, Lifetimes>(600),
    Entry<&IQelSymbol::VarEdMapping, Lifetimes>(601),
    Entry<&IQelSymbol::CodeLabel, Labels>(700),
    Entry<&IQelSymbol::DataLabel, Labels>(701),
    Entry<&IQelSymbol::StartupLabels, Labels>(702),
    Entry<&IQelSymbol::BreakpointDescription, Labels>(703, AnswersWithoutProgram),
    Entry<&IQelSymbol::BreakpointAddresses, Labels>(704, AnswersWithoutProgram),
    Entry<&IQelSymbol::RegisterMap, RegisterMap>(800),
    Entry<&IQelSymbol::VarEdVariables, VarEdVariables>(900),
    Entry<&IQelSymbol::Location, LocationAnswer>(4000, AnswersWithoutProgram),
};

} // namespace

bool BindRequest(const std::vector<RequestToken> &tokens, const RequestCode **code,
                 std::vector<RequestArgument> &arguments, std::string *reason)
{
    DWORD number = 0;
    if (tokens.empty() || tokens[0].quoted || !ParseRequestNumber(tokens[0].text, &number)) {
        *reason = "a request starts with its code, a number";
        return false;
    }
    *code = nullptr;
    for (const RequestCode &entry : kRequestCodes) {
        if (static_cast<DWORD>(entry.code) == number)
            *code = &entry;
    }
    if (*code == nullptr) {
        *reason = "no request has the code " + tokens[0].text;
        return false;
    }
    const std::string kinds = (*code)->kinds;
    if (tokens.size() - 1 != kinds.size()) {
        *reason = "the request " + std::to_string((*code)->code) + " takes " + std::to_string(kinds.size()) +
                  " argument(s), not " + std::to_string(tokens.size() - 1);
        return false;
    }
    arguments.assign(kinds.size(), RequestArgument());
    for (size_t i = 0; i < kinds.size(); ++i) {
        const RequestToken &token = tokens[i + 1];
        DWORD value = 0;
        if (kinds[i] == 't') {
            arguments[i].text = token.text;
        } else if (!token.quoted && ParseRequestNumber(token.text, &value)) {
            arguments[i].number = static_cast<LONG>(value);
        } else {
            *reason = "argument " + std::to_string(i + 1) + " of the request " + std::to_string((*code)->code) +
                      " is a number, not " + (token.quoted ? "a quoted text" : token.text);
            return false;
        }
    }
    return true;
}

} // namespace QelHost
