#include "platform/UiServices.h"

#include "platform/ScriptedUiServices.h"

namespace {
UiServices* g_installed = nullptr;
UiServices* g_default = nullptr;
} // namespace

UiServices& UiServices::instance() {
    if (g_installed)
        return *g_installed;
    if (g_default)
        return *g_default;
    // Without a GUI (command-line tools, core tests) nobody can be asked: the scripted
    // services answer every question with its default and record it.
    static ScriptedUiServices headless;
    return headless;
}

void UiServices::setInstance(UiServices* services) {
    g_installed = services;
}

void UiServices::setDefault(UiServices* services) {
    g_default = services;
}
