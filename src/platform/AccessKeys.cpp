#include "platform/AccessKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
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

// The caption with "&" before the first occurrence of `letter` outside an existing "&&".
QString marked(const QString& caption, QChar letter) {
    QString text = caption;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            ++i;
        } else if (text[i].toLower() == letter) {
            text.insert(i, QLatin1Char('&'));
            break;
        }
    }
    return text;
}

// Controls whose text Qt draws itself (the calendar's month and year buttons) keep it.
bool ownCaption(const QObject* control) {
    return !control->objectName().startsWith(QLatin1String("qt_"));
}

} // namespace

QChar AccessKeys::keyOf(const QString& caption) {
    const QString key = QKeySequence::mnemonic(caption).toString();
    return key.isEmpty() ? QChar() : key.back().toLower();
}

QStringList AccessKeys::withKeys(const QStringList& captions, const QSet<QChar>& taken) {
    QList<qsizetype> open;
    QHash<QChar, qsizetype> owner; // -1: kept as it is
    for (const QChar letter : taken)
        owner.insert(letter, -1);
    for (qsizetype i = 0; i < captions.size(); ++i) {
        const QChar key = keyOf(captions[i]);
        if (!key.isNull())
            owner.insert(key, -1);
        else if (!captions[i].isEmpty())
            open.append(i);
    }
    QHash<qsizetype, QChar> chosen;
    std::function<bool(qsizetype, QSet<QChar>&)> place = [&](qsizetype item, QSet<QChar>& seen) {
        for (const QChar letter : keyCandidates(captions[item])) {
            if (seen.contains(letter))
                continue;
            seen.insert(letter);
            const auto held = owner.constFind(letter);
            if (held == owner.constEnd() || (held.value() >= 0 && place(held.value(), seen))) {
                owner.insert(letter, item);
                chosen.insert(item, letter);
                return true;
            }
        }
        return false;
    };
    for (const qsizetype item : std::as_const(open)) {
        QSet<QChar> seen;
        place(item, seen);
    }
    QStringList result = captions;
    for (auto it = chosen.cbegin(); it != chosen.cend(); ++it)
        result[it.key()] = marked(captions[it.key()], it.value());
    return result;
}

void AccessKeys::assign(const QList<QAction*>& actions) {
    QList<QAction*> items;
    QStringList captions;
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        items.append(action);
        captions.append(action->text());
    }
    const QStringList keyed = withKeys(captions);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (keyed[i] != captions[i])
            items[i]->setText(keyed[i]);
        if (QMenu* menu = items[i]->menu())
            assign(menu->actions());
    }
}

void AccessKeys::assignButtons(QWidget* window) {
    QSet<QChar> taken;
    const auto take = [&taken](const QString& caption) {
        if (const QChar key = keyOf(caption); !key.isNull())
            taken.insert(key);
    };
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy())
            take(label->text());
    for (const QGroupBox* box : window->findChildren<QGroupBox*>())
        take(box->title());
    QList<QAbstractButton*> buttons;
    QStringList captions;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!ownCaption(button))
            continue;
        buttons.append(button);
        captions.append(button->text());
    }
    const QStringList keyed = withKeys(captions, taken);
    for (qsizetype i = 0; i < buttons.size(); ++i)
        if (keyed[i] != captions[i])
            buttons[i]->setText(keyed[i]);
}
