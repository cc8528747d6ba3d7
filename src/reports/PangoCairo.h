#pragma once

#include <QString>

class LazyLibrary;

// Cairo and Pango, which write a report's PDF, loaded when the first PDF is written: the
// window does not carry them (and the font and GLib libraries they need) until then. The
// functions that the PDF writer calls are defined in PangoCairo.cpp and hand on to the loaded
// libraries.
class PangoCairo {
public:
    // Whether the libraries are installed; why not in `cause`.
    static bool isAvailable(QString* cause = nullptr);
    static LazyLibrary& library();
};
