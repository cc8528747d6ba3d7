#pragma once

class QWidget;

// Windows open no larger than the screen they are shown on.
class ScreenFit {
public:
    // Gives the window the size it asks for, within the free area of its screen less its frame.
    static void resizeWithin(QWidget* window);
};
