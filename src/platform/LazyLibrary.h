#pragma once

#include <QString>

#include <mutex>

// A shared library that is loaded the first time the program needs it rather than at its start.
// The team database's client library and the PDF writer's text libraries pull in some twenty
// further libraries (TLS, Kerberos, LDAP, font shaping) that a window working on a desktop file
// never calls; loaded at start they would take several megabytes of every window's memory.
// Callers ask isAvailable() before their first call and say why when it is not; the functions
// themselves are defined with CORVANE_LAZY_FUNCTION in the area that uses them.
class LazyLibrary {
public:
    // `soname`: the library's file name with its interface version, as "libpq.so.5".
    explicit LazyLibrary(const char* soname) : m_soname(soname) {}
    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // Whether the library is installed and could be loaded; why not in `cause`.
    bool isAvailable(QString* cause = nullptr);
    // The address of function `name` in the library or in one it depends on. A call that
    // comes without isAvailable() having answered true ends the program with a message.
    void* function(const char* name);

private:
    void load();

    const char* m_soname;
    std::once_flag m_loaded;
    void* m_handle = nullptr;
    QString m_error;
};

// Defines the C function `name` of `library` as one that loads the library on its first call
// and hands every call on to it. The definition stays inside this program: the libraries
// loaded later never see it in place of their own.
#define CORVANE_LAZY_FUNCTION(library, result, name, parameters, arguments)                        \
    extern "C" __attribute__((visibility("hidden"))) result name parameters {                      \
        static const auto real =                                                                   \
            reinterpret_cast<result(*) parameters>((library).function(#name));                     \
        return real arguments;                                                                     \
    }
