#include "platform/ScreenFit.h"

#include <QScreen>
#include <QWidget>

namespace {
// The room the window manager's frame and title bar take, in logical pixels.
constexpr int FrameWidth = 16;
constexpr int FrameHeight = 48;
} // namespace

void ScreenFit::resizeWithin(QWidget* window, QSize wanted) {
    QSize size =
        (wanted.isValid() ? wanted : window->sizeHint()).expandedTo(window->minimumSizeHint());
    const QWidget* shownOver = window->parentWidget() ? window->parentWidget() : window;
    if (const QScreen* screen = shownOver->screen()) {
        const QSize room = screen->availableSize() - QSize(FrameWidth, FrameHeight);
        size = size.boundedTo(room.expandedTo(window->minimumSizeHint()));
    }
    window->resize(size);
}
