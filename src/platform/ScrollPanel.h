#pragma once

#include <QScrollArea>

// The fields of a dialog in a frameless area that scrolls only when the window is smaller than
// they need (a small screen, a large scale), so that the dialog's buttons below it stay in sight.
// Its size hint is all of its content; it can shrink to a few lines, never below the content's
// width, so that only the height scrolls.
class ScrollPanel : public QScrollArea {
    Q_OBJECT
public:
    explicit ScrollPanel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};
