#pragma once

#include <QValidator>
#include <optional>

// The amount fields (unit price, quantity, revenue bounds) take only what the user's locale reads
// as a number: digits, its group separator and its decimal separator. A text the locale cannot
// read yet ("1,2,3", "1." in some locales) is intermediate, so the field keeps it while the user
// types, and the dialog says so next to the field; letters and other signs are refused as typed.
class AmountValidator : public QValidator {
    Q_OBJECT
public:
    explicit AmountValidator(QObject* parent = nullptr);

    State validate(QString& input, int& position) const override;

    // The amount a typed text stands for in the user's locale; 0 for an empty text, nothing when
    // the locale does not read it.
    static std::optional<double> read(const QString& text);
    // What the dialogs say next to a field whose text is no amount, naming the field.
    static QString problemText(const QString& fieldName, const QString& text);
};
