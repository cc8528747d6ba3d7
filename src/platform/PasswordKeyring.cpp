#include "platform/PasswordKeyring.h"

namespace {

// Keeps nothing: the keyring of a program that has none.
class NoKeyring : public PasswordKeyring {
public:
    std::optional<QString> read(const QString&) override { return std::nullopt; }
    Result write(const QString&, const QString&) override {
        return Result::failure(QStringLiteral("no keyring is available"));
    }
    void remove(const QString&) override {}
};

PasswordKeyring* installed = nullptr;
PasswordKeyring* fallback = nullptr;

} // namespace

PasswordKeyring& PasswordKeyring::instance() {
    static NoKeyring none;
    if (installed)
        return *installed;
    return fallback ? *fallback : none;
}

void PasswordKeyring::setInstance(PasswordKeyring* keyring) {
    installed = keyring;
}

void PasswordKeyring::setDefault(PasswordKeyring* keyring) {
    fallback = keyring;
}
