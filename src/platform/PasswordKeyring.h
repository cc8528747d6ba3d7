#pragma once

#include "platform/Result.h"

#include <QString>
#include <optional>

// Where the passwords of team databases are kept when the user asks for it: the desktop's
// keyring. Behind this interface because not every desktop runs a keyring service (tests and
// build machines never do); the program installs the desktop's one at start-up, and without it
// nothing is kept. Passwords are named by the database's location (its URI without a password).
class PasswordKeyring {
public:
    virtual ~PasswordKeyring() = default;

    // The password kept for `location`; nothing when none is kept or the keyring cannot be
    // reached.
    virtual std::optional<QString> read(const QString& location) = 0;
    // Keeps `password` for `location`; a failure says why it could not.
    virtual Result write(const QString& location, const QString& password) = 0;
    // Forgets the password kept for `location`, if any.
    virtual void remove(const QString& location) = 0;

    // The keyring in force: the one installed, else the default, else one that keeps nothing.
    static PasswordKeyring& instance();
    // Installs `keyring` (not owned); nullptr returns to the default.
    static void setInstance(PasswordKeyring* keyring);
    // Used by instance() when nothing was installed; set by the program at start-up.
    static void setDefault(PasswordKeyring* keyring);
};
