#pragma once

#include "platform/Result.h"
#include "platform/WorkProgress.h"

class QIODevice;
class ReportDocument;

// Writes a report as PDF with a library made for it: cairo's PDF surface, with Pango shaping
// the texts (the system's font fallback, no ligatures). Each distinct text is shaped once and
// its glyphs are placed as they are on every page that shows it; a long report is written in
// half the time of Qt's PDF writer. The preview and the printer keep QPainter.
class ReportPdfWriter {
public:
    // Whether this writer draws every band of the document (charts it leaves to QPainter).
    static bool canWrite(const ReportDocument& document);
    // Writes the pages of `document`, laid out for its preferred page, to `device`.
    // `progress` hears of every page; when it answers false, the result is cancelled.
    static Result write(ReportDocument& document, QIODevice& device,
                        const ProgressCallback& progress = {});
};
