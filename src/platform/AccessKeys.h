#pragma once

#include <QList>
#include <QSet>
#include <QStringList>

class QAction;
class QWidget;

// Access keys for menus and dialogs whose captions are fixed: each item gets a distinct letter
// of its own caption (word starts first), taken from an earlier item when that item can move to
// another of its letters. Keys already in a caption are kept. The captions are otherwise
// unchanged.
class AccessKeys {
public:
    // Every item of a menu bar or menu, and of its submenus, within its own menu.
    static void assign(const QList<QAction*>& actions);
    // Every button of a window that has none, on a letter no other control of the window uses
    // (labels of fields, group boxes, the other buttons).
    static void assignButtons(QWidget* window);

    // The access key of a caption in lower case; a null character when it has none.
    static QChar keyOf(const QString& caption);
    // The captions with keys given to those without one, avoiding `taken` and each other.
    static QStringList withKeys(const QStringList& captions, const QSet<QChar>& taken = {});
};
