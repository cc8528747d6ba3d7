#pragma once

#include "platform/PasswordKeyring.h"

// The desktop's keyring (a Secret Service such as GNOME Keyring or KWallet) through QtKeychain.
// Its jobs run on the event loop; each call waits for its job in a local event loop, at most
// TimeoutMs, so that a desktop without a keyring service answers "not kept" instead of hanging.
// Never falls back to a plain-text file.
class DesktopKeyring : public PasswordKeyring {
public:
    static constexpr int TimeoutMs = 5000;

    std::optional<QString> read(const QString& location) override;
    Result write(const QString& location, const QString& password) override;
    void remove(const QString& location) override;
};
