#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// What each column of an imported file fills: a field of the field table, the expected order
// date as one date (filling OrderDay, OrderMonth and OrderYear), or nothing. Guessed from the
// header: our own export's headers exactly, the stored names, the list's captions and the
// common names other programs give these columns.
class ImportMapping {
public:
    // A target is a field index (OpportunityFields::Field) or one of these.
    static constexpr int Ignore = -1;
    static constexpr int OrderDate = -2;

    ImportMapping() = default;
    explicit ImportMapping(QList<int> targets) : m_targets(std::move(targets)) {}

    // The mapping guessed from a header row; each target goes to its first column only.
    static ImportMapping guess(const QStringList& headers);
    // The target of one header; Ignore when none is known.
    static int guessTarget(QStringView header);

    // Every target an import offers, Ignore first.
    static const QList<int>& targets();
    // The name of a target on the command line and in the settings: the stored name,
    // "OrderDate" or "ignore".
    static QString targetName(int target);
    // Its caption in the wizard.
    static QString targetCaption(int target);
    // The target of a name (targetName, compared without regard to case); nothing when none.
    static std::optional<int> targetByName(QStringView name);

    int columnCount() const { return static_cast<int>(m_targets.size()); }
    // The target of a column (Ignore beyond the mapping's columns).
    int target(int column) const;
    void setTarget(int column, int target);
    const QList<int>& columns() const { return m_targets; }
    // The column that fills `target`; -1 when none.
    int columnOf(int target) const;
    bool maps(int target) const { return columnOf(target) >= 0; }
    // Whether any column fills a field.
    bool isEmpty() const;

    // The mapping as text (the target names, comma-separated) and back; unknown names are
    // Ignore.
    QString toText() const;
    static ImportMapping fromText(const QString& text);
    // A short key that names a header row, to remember its mapping under.
    static QString headerKey(const QStringList& headers);

private:
    QList<int> m_targets;
};
