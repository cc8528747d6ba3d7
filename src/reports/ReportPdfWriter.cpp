#include "reports/ReportPdfWriter.h"

#include "reports/PangoCairo.h"
#include "reports/ReportCanvas.h"
#include "reports/ReportDocument.h"

#include <QHash>
#include <QIODevice>
#include <QPageLayout>
#include <QSet>
#include <array>
#include <cairo-pdf.h>
#include <cairo.h>
#include <cmath>
#include <pango/pangocairo.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

const QChar Ellipsis(0x2026);
// The smallest size a text is shrunk to, in points.
constexpr double MinimumPoints = 3;
// Texts longer than this are drawn once (a row's second line) and not kept shaped.
constexpr qsizetype KeptLength = 64;
constexpr qsizetype KeptTexts = 100000;

// A text as shaped: runs of glyphs in one font each, placed from the text's left end on its
// baseline.
struct Shaped {
    struct Run {
        cairo_scaled_font_t* font = nullptr;
        std::vector<cairo_glyph_t> glyphs;
    };
    std::vector<Run> runs;
    double width = 0;

    Shaped() = default;
    Shaped(const Shaped&) = delete;
    Shaped& operator=(const Shaped&) = delete;
    Shaped(Shaped&& other) noexcept : runs(std::move(other.runs)), width(other.width) {
        other.runs.clear();
    }
    Shaped& operator=(Shaped&& other) noexcept {
        std::swap(runs, other.runs);
        width = other.width;
        return *this;
    }
    ~Shaped() {
        for (Run& run : runs)
            cairo_scaled_font_destroy(run.font);
    }
};

struct Key {
    const QFont* font;
    int width;
    int fit;
    QString text;
    bool operator==(const Key& other) const {
        return font == other.font && width == other.width && fit == other.fit && text == other.text;
    }
};
struct KeyHash {
    size_t operator()(const Key& key) const {
        return qHashMulti(0, quintptr(key.font), key.width, key.fit, key.text);
    }
};

class CairoCanvas : public ReportCanvas {
public:
    explicit CairoCanvas(cairo_t* cairo) : m_cairo(cairo) {
        m_context = pango_font_map_create_context(pango_cairo_font_map_get_default());
        pango_cairo_context_set_resolution(m_context, 72); // a Pango point is a PDF point
        // Glyphs at the font's own advances: a PDF has no pixels to round them to, and text
        // placed as the font places it is written compactly.
        pango_context_set_round_glyph_positions(m_context, FALSE);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(m_context, options);
        cairo_font_options_destroy(options);
        m_layout = pango_layout_new(m_context);
        m_attributes = pango_attr_list_new();
        // No ligatures: "fi" stays two letters, so that the PDF's text reads as typed.
        pango_attr_list_insert(m_attributes,
                               pango_attr_font_features_new("liga 0, clig 0, dlig 0, hlig 0"));
        pango_layout_set_attributes(m_layout, m_attributes);
    }
    ~CairoCanvas() override {
        cairo_scaled_font_destroy(m_pendingFont);
        for (const Font& font : std::as_const(m_fonts))
            pango_font_description_free(font.description);
        for (const auto& [description, characters] : m_characters) {
            for (const Character& character : characters)
                cairo_scaled_font_destroy(character.font);
        }
        pango_attr_list_unref(m_attributes);
        g_object_unref(m_layout);
        g_object_unref(m_context);
    }
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    // Draws the glyphs waiting to be drawn.
    void flush() {
        if (!m_pending.empty()) {
            setColor(m_pendingColor);
            cairo_set_scaled_font(m_cairo, m_pendingFont);
            cairo_show_glyphs(m_cairo, m_pending.data(), int(m_pending.size()));
            m_pending.clear();
        }
        cairo_scaled_font_destroy(m_pendingFont);
        m_pendingFont = nullptr;
    }

    void fillRect(const QRectF& rect, const QColor& color) override {
        flush();
        setColor(color);
        cairo_rectangle(m_cairo, rect.x(), rect.y(), rect.width(), rect.height());
        cairo_fill(m_cairo);
    }
    void drawLine(const QPointF& from, const QPointF& to, const QColor& color,
                  double width) override {
        flush();
        setColor(color);
        cairo_set_line_width(m_cairo, width);
        cairo_move_to(m_cairo, from.x(), from.y());
        cairo_line_to(m_cairo, to.x(), to.y());
        cairo_stroke(m_cairo);
    }
    void drawText(const QFont& font, const QRectF& rect, const QString& text, Qt::Alignment align,
                  const QColor& color, Fit fit, qsizetype cutFrom, qsizetype cutLength) override {
        if (text.isEmpty())
            return;
        if (cutLength <= 0 || cutFrom < 0 || cutFrom + cutLength > text.size())
            cutFrom = cutLength = 0;
        else
            fit = Fit::Cut;
        const Font& described = describe(font);
        const double room = rect.width();
        const Key key{&font, int(room * 100), cutLength > 0 ? 2 + int(cutFrom) : int(fit), text};
        Shaped uncached;
        const Shaped* shaped = nullptr;
        if (const auto found = m_shaped.find(key); found != m_shaped.end()) {
            shaped = &found->second;
        } else {
            uncached = shapeToFit(described, room, text, fit, cutFrom, cutLength);
            if (text.size() <= KeptLength) {
                if (m_shaped.size() >= KeptTexts)
                    m_shaped.clear();
                shaped = &m_shaped.emplace(key, std::move(uncached)).first->second;
            } else {
                shaped = &uncached;
            }
        }
        const double x = (align & Qt::AlignRight) ? rect.right() - shaped->width : rect.left();
        const double baseline =
            rect.top() + (rect.height() - described.height) / 2 + described.ascent;
        // Glyphs of one font and colour go to the PDF together: the texts of a row in one
        // text object.
        for (const Shaped::Run& run : shaped->runs) {
            if (run.font != m_pendingFont || color != m_pendingColor) {
                flush();
                m_pendingFont = cairo_scaled_font_reference(run.font);
                m_pendingColor = color;
            }
            for (cairo_glyph_t glyph : run.glyphs) {
                glyph.x += x;
                glyph.y += baseline;
                m_pending.push_back(glyph);
            }
        }
    }
    bool drawChart(const QRectF&, const QString&, const ReportContent::ChartSeries&) override {
        return false;
    }

private:
    struct Font {
        PangoFontDescription* description = nullptr;
        double height = 0; // of a line, in points
        double ascent = 0;
        double ellipsis = 0; // the width of "…"
    };

    const Font& describe(const QFont& font) {
        auto found = m_fonts.find(&font);
        if (found == m_fonts.end()) {
            Font made;
            made.description = describeAt(font, font.pointSizeF());
            m_lasting.insert(made.description);
            PangoFontMetrics* metrics =
                pango_context_get_metrics(m_context, made.description, nullptr);
            made.ascent = pango_font_metrics_get_ascent(metrics) / double(PANGO_SCALE);
            made.height =
                made.ascent + pango_font_metrics_get_descent(metrics) / double(PANGO_SCALE);
            pango_font_metrics_unref(metrics);
            made.ellipsis = shape(made.description, QString(Ellipsis)).width;
            found = m_fonts.insert(&font, made);
        }
        return *found;
    }

    static PangoFontDescription* describeAt(const QFont& font, double points) {
        PangoFontDescription* description = pango_font_description_new();
        pango_font_description_set_family(
            description, font.families().join(QLatin1Char(',')).toUtf8().constData());
        pango_font_description_set_size(description, int(std::lround(points * PANGO_SCALE)));
        pango_font_description_set_weight(description,
                                          font.bold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(description,
                                         font.italic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        return description;
    }

    // Shapes `text` in `description` on one line, and takes its glyphs.
    Shaped shape(const PangoFontDescription* description, const QString& text) {
        if (Shaped quick; m_lasting.contains(description) && (setSimply(description, text, quick) ||
                                                              setByWords(description, text, quick)))
            return quick;
        return shapeFully(description, text);
    }

    // A longer text of left-to-right scripts is set word by word: the words a report repeats
    // (captions, names, departments) are shaped once each, the spaces between them at the
    // space's advance.
    bool setByWords(const PangoFontDescription* description, const QString& text, Shaped& shaped) {
        if (text.size() <= KeptLength / 2 || !text.contains(QLatin1Char(' ')))
            return false;
        for (const QChar c : text) {
            const QChar::Direction direction = c.direction();
            if (direction == QChar::DirR || direction == QChar::DirAL ||
                direction == QChar::DirRLE || direction == QChar::DirRLO ||
                direction == QChar::DirRLI || direction == QChar::DirAN)
                return false;
        }
        auto& words = m_words[description];
        if (words.size() > KeptTexts)
            words.clear();
        const auto wordOf = [&](QStringView word) -> const Shaped& {
            auto found = words.find(word);
            if (found == words.end()) {
                const QString text = word.toString();
                found = words.emplace(text, shape(description, text)).first;
            }
            return found->second;
        };
        const double space = wordOf(u" ").width;
        double x = 0;
        qsizetype start = 0;
        while (start <= text.size()) {
            qsizetype end = text.indexOf(QLatin1Char(' '), start);
            if (end < 0)
                end = text.size();
            if (end > start) {
                const Shaped& word = wordOf(QStringView(text).mid(start, end - start));
                for (const Shaped::Run& run : word.runs) {
                    if (shaped.runs.empty() || shaped.runs.back().font != run.font) {
                        Shaped::Run& added = shaped.runs.emplace_back();
                        added.font = cairo_scaled_font_reference(run.font);
                    }
                    for (cairo_glyph_t glyph : run.glyphs) {
                        glyph.x += x;
                        shaped.runs.back().glyphs.push_back(glyph);
                    }
                }
                x += word.width;
            }
            if (end < text.size())
                x += space;
            start = end + 1;
        }
        shaped.width = x;
        return true;
    }

    Shaped shapeFully(const PangoFontDescription* description, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        pango_layout_set_font_description(m_layout, description);
        pango_layout_set_text(m_layout, utf8.constData(), int(utf8.size()));
        Shaped shaped;
        PangoLayoutLine* line = pango_layout_get_line_readonly(m_layout, 0);
        int x = 0;
        for (GSList* item = line ? line->runs : nullptr; item; item = item->next) {
            const auto* run = static_cast<PangoGlyphItem*>(item->data);
            Shaped::Run& placed = shaped.runs.emplace_back();
            placed.font = cairo_scaled_font_reference(pango_cairo_font_get_scaled_font(
                reinterpret_cast<PangoCairoFont*>(run->item->analysis.font)));
            for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
                const PangoGlyphInfo& glyph = run->glyphs->glyphs[i];
                if (glyph.glyph != PANGO_GLYPH_EMPTY && !(glyph.glyph & PANGO_GLYPH_UNKNOWN_FLAG))
                    placed.glyphs.push_back({glyph.glyph,
                                             (x + glyph.geometry.x_offset) / double(PANGO_SCALE),
                                             glyph.geometry.y_offset / double(PANGO_SCALE)});
                x += glyph.geometry.width;
            }
        }
        shaped.width = x / double(PANGO_SCALE);
        return shaped;
    }

    // Amounts, dates, counts and record numbers are set from the glyphs of their characters,
    // each shaped once per font: these characters neither join nor kern in the report fonts.
    bool setSimply(const PangoFontDescription* description, const QString& text, Shaped& shaped) {
        static const QString simple = QStringLiteral("0123456789$.,%-/:() ");
        for (const QChar c : text) {
            if (!simple.contains(c))
                return false;
        }
        auto found = m_characters.find(description);
        if (found == m_characters.end())
            found = m_characters.emplace(description, std::array<Character, 128>{}).first;
        std::array<Character, 128>& characters = found->second;
        Shaped::Run run;
        double x = 0;
        for (const QChar c : text) {
            Character& character = characters[c.unicode()];
            if (!character.known) {
                Shaped single = shapeFully(description, QString(c));
                character.known = true;
                if (single.runs.size() == 1 && single.runs[0].glyphs.size() == 1) {
                    character.font = cairo_scaled_font_reference(single.runs[0].font);
                    character.glyph = single.runs[0].glyphs[0].index;
                    character.advance = single.width;
                }
            }
            if (!character.font || (run.font && run.font != character.font))
                return false;
            run.font = character.font;
            run.glyphs.push_back({character.glyph, x, 0});
            x += character.advance;
        }
        run.font = cairo_scaled_font_reference(run.font);
        shaped.runs.push_back(std::move(run));
        shaped.width = x;
        return true;
    }

    Shaped shrunk(const Font& font, double room, const QString& text, Shaped whole) {
        const double designed =
            pango_font_description_get_size(font.description) / double(PANGO_SCALE);
        double points = designed;
        Shaped shaped = std::move(whole);
        while (shaped.width > room && points > MinimumPoints) {
            const double wanted = points * room / shaped.width;
            points = qMax(MinimumPoints, qMin(points - 0.25, std::floor(wanted * 4) / 4));
            PangoFontDescription* smaller = pango_font_description_copy(font.description);
            pango_font_description_set_size(smaller, int(std::lround(points * PANGO_SCALE)));
            shaped = shape(smaller, text);
            pango_font_description_free(smaller);
        }
        return shaped;
    }

    Shaped shapeToFit(const Font& font, double room, const QString& text, Fit fit,
                      qsizetype cutFrom, qsizetype cutLength) {
        Shaped whole = shape(font.description, text);
        if (whole.width <= room)
            return whole;
        if (fit == Fit::Shrink)
            return shrunk(font, room, text, std::move(whole));
        // Cut: as many characters of the part that may be cut (all of it when no part is
        // named) as fit before the "…", found on the line as shaped whole, then shaped once.
        if (cutLength <= 0) {
            cutFrom = 0;
            cutLength = text.size();
        }
        // The cut is found on the text's line as Pango shapes it whole.
        whole = shapeFully(font.description, text);
        PangoLayoutLine* line = pango_layout_get_line_readonly(m_layout, 0);
        const auto xAt = [&](qsizetype position) {
            int x = 0;
            pango_layout_line_index_to_x(line, int(text.left(position).toUtf8().size()), 0, &x);
            return x / double(PANGO_SCALE);
        };
        const double after = whole.width - xAt(cutFrom + cutLength);
        const double ellipsis = font.ellipsis;
        qsizetype kept = 0;
        qsizetype high = cutLength - 1;
        while (kept < high) {
            const qsizetype middle = (kept + high + 1) / 2;
            if (xAt(cutFrom + middle) + ellipsis + after <= room)
                kept = middle;
            else
                high = middle - 1;
        }
        const QString before = text.left(cutFrom);
        const QString after_ = text.mid(cutFrom + cutLength);
        const auto shownWith = [&](qsizetype k) {
            return before + text.mid(cutFrom, k) + Ellipsis + after_;
        };
        Shaped shaped = shape(font.description, shownWith(kept));
        // Kerning at the cut may still make it a little wider: a character less then.
        while (shaped.width > room && kept > 0)
            shaped = shape(font.description, shownWith(--kept));
        if (shaped.width > room)
            return shrunk(font, room, shownWith(0), std::move(shaped));
        return shaped;
    }

    void setColor(const QColor& color) {
        cairo_set_source_rgb(m_cairo, color.redF(), color.greenF(), color.blueF());
    }

    cairo_t* m_cairo;
    PangoContext* m_context = nullptr;
    PangoLayout* m_layout = nullptr;
    PangoAttrList* m_attributes = nullptr;
    QHash<const QFont*, Font> m_fonts;
    // The glyph of each simple character, per font description that lasts as long as the canvas.
    struct Character {
        bool known = false;
        cairo_scaled_font_t* font = nullptr; // a reference of the canvas
        unsigned long glyph = 0;
        double advance = 0;
    };
    QSet<const PangoFontDescription*> m_lasting;
    // Words are looked up by a view into their text, without a copy.
    struct TextHash {
        using is_transparent = void;
        size_t operator()(QStringView text) const { return qHash(text); }
    };
    struct TextEqual {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const { return a == b; }
    };
    std::unordered_map<const PangoFontDescription*,
                       std::unordered_map<QString, Shaped, TextHash, TextEqual>>
        m_words;
    std::unordered_map<const PangoFontDescription*, std::array<Character, 128>> m_characters;
    std::unordered_map<Key, Shaped, KeyHash> m_shaped;
    // Glyphs waiting to be drawn, all in one font and colour (a reference of the canvas).
    std::vector<cairo_glyph_t> m_pending;
    cairo_scaled_font_t* m_pendingFont = nullptr;
    QColor m_pendingColor;
};

cairo_status_t writeTo(void* closure, const unsigned char* data, unsigned int length) {
    auto* device = static_cast<QIODevice*>(closure);
    return device->write(reinterpret_cast<const char*>(data), length) == qint64(length)
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_WRITE_ERROR;
}

} // namespace

bool ReportPdfWriter::canWrite(const ReportDocument& document) {
    // Without cairo and Pango installed, Qt's own PDF writer takes over.
    return document.content().charts.empty() && PangoCairo::isAvailable();
}

Result ReportPdfWriter::write(ReportDocument& document, QIODevice& device,
                              const ProgressCallback& progress) {
    const QPageLayout layout = document.preferredLayout();
    document.paginate(layout);
    const int pages = document.pageCount();
    if (progress && !progress(0, pages))
        return Result::cancelled();
    const QSizeF paper = layout.fullRect(QPageLayout::Point).size();
    const QPointF origin = layout.paintRect(QPageLayout::Point).topLeft();
    cairo_surface_t* surface =
        cairo_pdf_surface_create_for_stream(writeTo, &device, paper.width(), paper.height());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE,
                                   document.content().title.toUtf8().constData());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Corvane");
    cairo_t* cairo = cairo_create(surface);
    bool cancelled = false;
    {
        CairoCanvas canvas(cairo);
        for (int page = 1; page <= pages && !cancelled; ++page) {
            cairo_save(cairo);
            cairo_translate(cairo, origin.x(), origin.y());
            document.paintPage(canvas, page);
            canvas.flush();
            cairo_restore(cairo);
            cairo_show_page(cairo);
            cancelled = progress && !progress(page, pages);
        }
    }
    cairo_destroy(cairo);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (cancelled)
        return Result::cancelled();
    if (status != CAIRO_STATUS_SUCCESS)
        return Result::failure(device.errorString().isEmpty()
                                   ? QString::fromUtf8(cairo_status_to_string(status))
                                   : device.errorString());
    return {};
}
