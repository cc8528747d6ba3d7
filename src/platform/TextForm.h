#pragma once

#include <QString>
#include <optional>

// The text forms of stored settings: Booleans as "True"/"False", numbers as decimal text.
// Reading accepts what a person may have typed ("true", " 1 ", "1500.0") and gives nothing for
// a text that does not convert, so the caller keeps its default.
class TextForm {
public:
    static QString fromBool(bool value) {
        return value ? QStringLiteral("True") : QStringLiteral("False");
    }
    // "True"/"False" in any letter case, or a number (non-zero is true).
    static std::optional<bool> toBool(const QString& text);
    // A number rounded to the nearest integer, when it fits 16 bits.
    static std::optional<qint16> toInt16(const QString& text);
    // A number rounded to the nearest integer, when it fits 32 bits.
    static std::optional<qint32> toInt32(const QString& text);
    // The text with every line break (CR LF, CR or LF) as a plain LF.
    static QString withLineFeeds(const QString& text);
};
