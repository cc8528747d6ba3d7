#pragma once

#include "store/SqlStatement.h"

#include <QString>
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

// Texts that repeat from record to record (stage, probability, forecast, month names, source,
// companies, contacts, products...) are converted once per open and then shared by every
// opportunity that has them (implicit sharing): a large file takes about half the memory
// and most conversions are skipped. Long texts (descriptions, notes) are converted each time.
class SharedTexts {
public:
    explicit SharedTexts(bool utf8File) : m_utf8File(utf8File) {}

    QString read(sqlite3_stmt* s, int column) {
        const auto [text, size] = columnBytes(s, column, m_utf8File);
        if (!text)
            return QString();
        if (size > MaxSharedBytes)
            return QString::fromUtf8(text, size);
        auto& texts = m_texts[static_cast<size_t>(column)];
        const std::string_view bytes(text, static_cast<size_t>(size));
        if (const auto found = texts.find(bytes); found != texts.end())
            return found->second;
        QString converted = QString::fromUtf8(text, size);
        // A column whose texts hardly repeat stops collecting.
        if (texts.size() < MaxDistinctPerColumn)
            texts.emplace(std::string(bytes), converted);
        return converted;
    }

private:
    static constexpr int MaxSharedBytes = 32;
    static constexpr size_t MaxDistinctPerColumn = 4096;

    struct BytesHash {
        using is_transparent = void;
        size_t operator()(std::string_view bytes) const {
            return std::hash<std::string_view>{}(bytes);
        }
    };
    bool m_utf8File;
    std::array<std::unordered_map<std::string, QString, BytesHash, std::equal_to<>>, 20> m_texts;
};
