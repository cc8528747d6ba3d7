#include "pim/PimApplication.h"

#include "pim/FilePimApplication.h"
#include "pim/PimFolders.h"

namespace {
PimApplication::Factory& installedFactory() {
    static PimApplication::Factory factory;
    return factory;
}
} // namespace

PimValue<std::unique_ptr<PimApplication>> PimApplication::create(SettingsStore& store) {
    if (installedFactory())
        return installedFactory()();
    return FilePimApplication::open(PimFolders::fromSettings(store));
}

void PimApplication::setFactory(Factory factory) {
    installedFactory() = std::move(factory);
}

PimApplication::Factory PimApplication::factory() {
    return installedFactory();
}
