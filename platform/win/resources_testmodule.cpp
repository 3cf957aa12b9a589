// A second module for the resource tests: a shared library with tables of its own.
#include "resources.h"

namespace {

const QEL_STRING_ENTRY strings[] = {
    {1, "Library one"},
    {7, "Only in the library"},
};

const char registryScript[] = "HKCR { NoRemove CLSID }";

const QEL_RESOURCE_ENTRY resources[] = {
    {"REGISTRY", MAKEINTRESOURCE(204), registryScript, sizeof registryScript - 1},
};

const QEL_MODULE_RESOURCES tables = {strings, 2, resources, 1};

} // namespace

extern "C" HINSTANCE QelWinTestModuleRegister()
{
    return QelRegisterModule(&tables, &tables);
}
