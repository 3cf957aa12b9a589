// qelhost eval prints one line per expression, "EXPR<TAB>VALUE": a VT_I4 value in signed
// decimal, a VT_R8 one with 17 significant digits, or what stands instead: the text of
// the evaluator's error, "syntax error" for a text that does not parse, "no value" for
// an expression that has none (a structure, a variable that does not live here).
//
// The program is loaded through the symbol server and laid into the debug-server
// object's simulated target, its sections first and then the core file over them; the
// expression object is made in this process and set on the debug-server object.
#include "qelhosteval.h"

#include "qelhostprogram.h"

#include <coexpr.h>
#include <comerrorinfo.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct EvalOptions {
    QelHost::ProgramOptions program;
    const char *core = nullptr;
    bool pcGiven = false;
    ULONG pc = 0;
    const char *scope = nullptr;
    std::vector<const char *> texts;
};

int Usage()
{
    std::fprintf(stderr, "usage: qelhost eval FILE [--core CORE] [--pc ADDR] [--scope NAME] EXPR...\n");
    return 2;
}

bool ParseAddress(const char *text, ULONG *value)
{
    char *end = nullptr;
    errno = 0;
    const unsigned long long number = std::strtoull(text, &end, 0);
    if (*text == '\0' || *text == '-' || *end != '\0' || errno != 0 || number > UINT32_MAX)
        return false;
    *value = static_cast<ULONG>(number);
    return true;
}

bool ParseOptions(int argc, char **argv, EvalOptions &options)
{
    if (argc < 2 || std::strncmp(argv[0], "--", 2) == 0)
        return false;
    options.program.file = argv[0];
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return false;
        if (option == "--core")
            options.core = argv[++i];
        else if (option == "--pc" && ParseAddress(argv[i + 1], &options.pc))
            options.pcGiven = (++i, true);
        else if (option == "--scope")
            options.scope = argv[++i];
        else
            return false;
    }
    options.texts.assign(argv + i, argv + argc);
    return !options.texts.empty();
}

std::string Answer(IQelExpr2 *expr, const char *text)
{
    if (expr->SetExpression(CComBSTR(text)) != S_OK)
        return "syntax error";
    // A value coming in asks for the target to be read now.
    CComVariant value(static_cast<LONG>(0));
    if (expr->Evaluate(&value) == S_OK) {
        char shown[40];
        if (value.vt == VT_R8)
            std::snprintf(shown, sizeof shown, "%.17g", value.dblVal);
        else
            std::snprintf(shown, sizeof shown, "%d", static_cast<int>(value.lVal));
        return shown;
    }
    CString error;
    if (GetComErrorInfo(&error, nullptr, nullptr, nullptr, nullptr) && !error.IsEmpty())
        return static_cast<LPCSTR>(error);
    return "no value";
}

int Run(const EvalOptions &options)
{
    QelHost::ProgramSession session(options.program);
    if (!session.Start())
        return 1;
    const QelHost::LoadOutcome outcome = session.Load();
    if (outcome.status != 0) {
        std::fprintf(stderr, "qelhost: %s cannot be loaded: %s\n", options.program.file, outcome.errorText.c_str());
        return 1;
    }
    QelHost::CHostTarget *target = session.DebuggerObject().Host()->Target();
    std::string reason;
    if (!target->LoadProgram(options.program.file, &reason) ||
        (options.core != nullptr && !target->LoadCore(options.core, &reason))) {
        std::fprintf(stderr, "qelhost: %s\n", reason.c_str());
        return 1;
    }
    if (options.pcGiven)
        target->SetPc(options.pc);

    CComPtr<IQelExpr2> expr;
    if (FAILED(CoExpr::Create(&expr))) {
        std::fprintf(stderr, "qelhost: the expression object cannot be made\n");
        return 1;
    }
    if (options.scope != nullptr) {
        expr->put_LookupMode(1);
        expr->put_Scope(CComBSTR(options.scope));
    }
    expr->SetTarget(session.DebuggerObject().debugServer);
    for (const char *text : options.texts)
        std::printf("%s\t%s\n", text, Answer(expr, text).c_str());
    expr->SetTarget(nullptr);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

} // namespace

int EvaluateWatchTexts(int argc, char **argv)
{
    EvalOptions options;
    if (!ParseOptions(argc, argv, options))
        return Usage();
    return QelHost::RunWithKorvex([&] { return Run(options); });
}
