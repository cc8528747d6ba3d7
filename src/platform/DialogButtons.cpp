#include "platform/DialogButtons.h"

#include <QDialogButtonBox>
#include <QPushButton>

DialogButtons DialogButtons::okCancelApply(QWidget* parent, const QString& okName,
                                           const QString& cancelName, const QString& applyName) {
    DialogButtons buttons;
    buttons.box = new QDialogButtonBox(parent);
    const auto add = [&buttons](const QString& caption, QDialogButtonBox::ButtonRole role,
                                const QString& name) {
        QPushButton* button = buttons.box->addButton(caption, role);
        button->setObjectName(name);
        return button;
    };
    buttons.ok = add(QStringLiteral("OK"), QDialogButtonBox::AcceptRole, okName);
    buttons.cancel = add(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole, cancelName);
    buttons.apply = add(QStringLiteral("&Apply"), QDialogButtonBox::ApplyRole, applyName);
    buttons.ok->setDefault(true);
    return buttons;
}
