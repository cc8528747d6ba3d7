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
// and most conversions are skipped. Descriptions and notes are shared as well while they repeat;
// only texts longer than MaxSharedBytes are always converted on their own.
class SharedTexts {
public:
    explicit SharedTexts(bool utf8File) : m_utf8File(utf8File) {}

    QString read(sqlite3_stmt* s, int column) {
        const auto [text, size] = columnBytes(s, column, m_utf8File);
        if (!text)
            return QString();
        if (size > MaxSharedBytes)
            return QString::fromUtf8(text, size);
        Column& shared = m_columns[static_cast<size_t>(column)];
        ++shared.reads;
        const std::string_view bytes(text, static_cast<size_t>(size));
        if (const auto found = shared.texts.find(bytes); found != shared.texts.end())
            return found->second;
        QString converted = QString::fromUtf8(text, size);
        if (shared.collecting) {
            shared.texts.emplace(std::string(bytes), converted);
            // A column whose texts hardly repeat (every note its own) stops collecting and lets
            // its texts go: keeping them would only cost memory while the file is read.
            const size_t distinct = shared.texts.size();
            if (distinct >= MinDistinctToJudge && distinct * 4 > shared.reads * 3) {
                shared.collecting = false;
                shared.texts = {};
            }
        }
        return converted;
    }

private:
    // Descriptions and notes repeat too (the same offer to many companies): texts up to this
    // size are shared.
    static constexpr int MaxSharedBytes = 512;
    static constexpr size_t MinDistinctToJudge = 8192;

    struct BytesHash {
        using is_transparent = void;
        size_t operator()(std::string_view bytes) const {
            return std::hash<std::string_view>{}(bytes);
        }
    };
    struct Column {
        std::unordered_map<std::string, QString, BytesHash, std::equal_to<>> texts;
        size_t reads = 0;
        bool collecting = true;
    };
    bool m_utf8File;
    std::array<Column, 20> m_columns;
};
