#include "platform/LazyLibrary.h"

#include <dlfcn.h>

void LazyLibrary::load() {
    std::call_once(m_loaded, [this] {
        // Local binding: the library's names do not take the place of anything already loaded.
        m_handle = dlopen(m_soname, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            m_error = QStringLiteral("%1 is not installed (%2)")
                          .arg(QLatin1String(m_soname), QString::fromLocal8Bit(dlerror()));
    });
}

bool LazyLibrary::isAvailable(QString* cause) {
    load();
    if (!m_handle && cause)
        *cause = m_error;
    return m_handle != nullptr;
}

void* LazyLibrary::function(const char* name) {
    load();
    void* address = m_handle ? dlsym(m_handle, name) : nullptr;
    if (!address)
        qFatal("%s: function %s is missing: %s", m_soname, name,
               m_handle ? "the installed version is too old" : qPrintable(m_error));
    return address;
}
