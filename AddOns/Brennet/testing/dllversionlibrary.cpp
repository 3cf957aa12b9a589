// A library that tells its version as shell libraries do: DllGetVersion answers 5.6.7
// for NT to a caller that gives the structure's size, and E_INVALIDARG otherwise. It
// registers its version resource while it is loaded.
#include <windows.h>

namespace {

const QEL_MODULE_RESOURCES kTables = {nullptr, 0, &g_QelVersionResource, 1};

struct Registration {
    HINSTANCE module = QelRegisterModule(&kTables, &kTables);
    ~Registration() { QelUnregisterModule(module); }
} registration;

} // namespace

extern "C" __attribute__((visibility("default"))) LONG DllGetVersion(DLLVERSIONINFO *info)
{
    if (info == nullptr || info->cbSize != sizeof(DLLVERSIONINFO))
        return static_cast<LONG>(0x80070057); // E_INVALIDARG
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 6;
    info->dwBuildNumber = 7;
    info->dwPlatformID = DLLVER_PLATFORM_NT;
    return 0;
}
