#pragma once

#include <QString>

class LazyLibrary;

// PostgreSQL's client library, loaded when the first team database is opened: a program that
// works on desktop files alone never loads it (nor the TLS, Kerberos and LDAP libraries it
// needs). The libpq functions that the team store calls are defined in Libpq.cpp and hand on
// to the loaded library.
class Libpq {
public:
    // Whether the client library is installed; why not in `cause`.
    static bool isAvailable(QString* cause = nullptr);
    static LazyLibrary& library();
};
