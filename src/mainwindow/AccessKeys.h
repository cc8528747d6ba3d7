#pragma once

#include <QList>

class QAction;

// Access keys for menus whose captions are fixed: each item of a menu gets a distinct letter of
// its own caption (word starts first), taken from an earlier item when that item can move to
// another of its letters. Keys already in a caption are kept; submenus get theirs too. The
// captions are otherwise unchanged.
class AccessKeys {
public:
    static void assign(const QList<QAction*>& actions);
};
