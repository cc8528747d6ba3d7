#pragma once

#include <QSize>

class QWidget;

// Windows open no larger than the screen they are shown on.
class ScreenFit {
public:
    // Gives the window the size it asks for (`wanted`, else its size hint), within the free area
    // of its screen less its frame.
    static void resizeWithin(QWidget* window, QSize wanted = QSize());
};
