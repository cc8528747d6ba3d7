#include "platform/ScrollPanel.h"

#include <QScrollBar>

namespace {
// The lines of text the panel keeps in sight however small the window.
constexpr int ShortestLines = 6;
} // namespace

ScrollPanel::ScrollPanel(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("scrollPanel"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QSize ScrollPanel::sizeHint() const {
    if (!widget())
        return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    return widget()->sizeHint() + QSize(frame, frame);
}

QSize ScrollPanel::minimumSizeHint() const {
    if (!widget())
        return QScrollArea::minimumSizeHint();
    const QSize content = widget()->minimumSizeHint();
    const int frame = 2 * frameWidth();
    const int lines = fontMetrics().lineSpacing() * ShortestLines;
    return {content.width() + verticalScrollBar()->sizeHint().width() + frame,
            qMin(content.height(), lines) + frame};
}
