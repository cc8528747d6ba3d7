#pragma once

#include <QString>

class QDialogButtonBox;
class QPushButton;
class QWidget;

// The OK, Cancel and Apply buttons of a settings dialog, in the platform's order, with the given
// object names; OK is the default button. The dialog connects them itself.
struct DialogButtons {
    QDialogButtonBox* box = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* apply = nullptr;

    static DialogButtons okCancelApply(QWidget* parent, const QString& okName,
                                       const QString& cancelName, const QString& applyName);
};
