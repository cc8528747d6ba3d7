#include "mainwindow/AccessKeys.h"

#include <QAction>
#include <QHash>
#include <QKeySequence>
#include <QMenu>
#include <QSet>
#include <functional>

namespace {

// The letters of a caption that can carry its access key, word starts first.
QList<QChar> keyCandidates(const QString& text) {
    QList<QChar> starts;
    QList<QChar> others;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar letter = text[i].toLower();
        if (!letter.isLetterOrNumber() || starts.contains(letter) || others.contains(letter))
            continue;
        const bool wordStart = i == 0 || !text[i - 1].isLetterOrNumber();
        (wordStart ? starts : others).append(letter);
    }
    return starts + others;
}

} // namespace

void AccessKeys::assign(const QList<QAction*>& actions) {
    QList<QAction*> items;
    QHash<QChar, QAction*> owner;
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        const QString key = QKeySequence::mnemonic(action->text()).toString();
        if (!key.isEmpty())
            owner.insert(key.back().toLower(), nullptr); // kept as it is
        else
            items.append(action);
    }
    QHash<QAction*, QChar> chosen;
    std::function<bool(QAction*, QSet<QChar>&)> place = [&](QAction* item, QSet<QChar>& seen) {
        for (const QChar letter : keyCandidates(item->text())) {
            if (seen.contains(letter))
                continue;
            seen.insert(letter);
            const auto held = owner.constFind(letter);
            if (held == owner.constEnd() || (held.value() && place(held.value(), seen))) {
                owner.insert(letter, item);
                chosen.insert(item, letter);
                return true;
            }
        }
        return false;
    };
    for (QAction* item : std::as_const(items)) {
        QSet<QChar> seen;
        place(item, seen);
    }
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        if (const auto letter = chosen.constFind(action); letter != chosen.constEnd()) {
            QString text = action->text();
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (text[i] == QLatin1Char('&')) {
                    ++i;
                } else if (text[i].toLower() == letter.value()) {
                    text.insert(i, QLatin1Char('&'));
                    break;
                }
            }
            action->setText(text);
        }
        if (QMenu* menu = action->menu())
            assign(menu->actions());
    }
}
