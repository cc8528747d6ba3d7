#include "reports/PangoCairo.h"

#include "platform/LazyLibrary.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

LazyLibrary& PangoCairo::library() {
    // Pango's cairo binding needs cairo, Pango and GObject, so every function is found through
    // it.
    static LazyLibrary library("libpangocairo-1.0.so.0");
    return library;
}

bool PangoCairo::isAvailable(QString* cause) {
    return library().isAvailable(cause);
}

#define CORVANE_PANGO(result, name, parameters, arguments)                                         \
    CORVANE_LAZY_FUNCTION(PangoCairo::library(), result, name, parameters, arguments)

// GObject
CORVANE_PANGO(void, g_object_unref, (gpointer object), (object))

// Cairo
CORVANE_PANGO(cairo_surface_t*, cairo_pdf_surface_create_for_stream,
              (cairo_write_func_t write, void* closure, double width, double height),
              (write, closure, width, height))
CORVANE_PANGO(void, cairo_pdf_surface_set_metadata,
              (cairo_surface_t * surface, cairo_pdf_metadata_t metadata, const char* utf8),
              (surface, metadata, utf8))
CORVANE_PANGO(cairo_status_t, cairo_surface_status, (cairo_surface_t * surface), (surface))
CORVANE_PANGO(void, cairo_surface_finish, (cairo_surface_t * surface), (surface))
CORVANE_PANGO(void, cairo_surface_destroy, (cairo_surface_t * surface), (surface))
CORVANE_PANGO(const char*, cairo_status_to_string, (cairo_status_t status), (status))
CORVANE_PANGO(cairo_t*, cairo_create, (cairo_surface_t * target), (target))
CORVANE_PANGO(void, cairo_destroy, (cairo_t * cr), (cr))
CORVANE_PANGO(void, cairo_show_page, (cairo_t * cr), (cr))
CORVANE_PANGO(void, cairo_save, (cairo_t * cr), (cr))
CORVANE_PANGO(void, cairo_restore, (cairo_t * cr), (cr))
CORVANE_PANGO(void, cairo_translate, (cairo_t * cr, double x, double y), (cr, x, y))
CORVANE_PANGO(void, cairo_set_source_rgb, (cairo_t * cr, double red, double green, double blue),
              (cr, red, green, blue))
CORVANE_PANGO(void, cairo_set_line_width, (cairo_t * cr, double width), (cr, width))
CORVANE_PANGO(void, cairo_move_to, (cairo_t * cr, double x, double y), (cr, x, y))
CORVANE_PANGO(void, cairo_line_to, (cairo_t * cr, double x, double y), (cr, x, y))
CORVANE_PANGO(void, cairo_rectangle,
              (cairo_t * cr, double x, double y, double width, double height),
              (cr, x, y, width, height))
CORVANE_PANGO(void, cairo_stroke, (cairo_t * cr), (cr))
CORVANE_PANGO(void, cairo_fill, (cairo_t * cr), (cr))
CORVANE_PANGO(void, cairo_set_scaled_font, (cairo_t * cr, const cairo_scaled_font_t* font),
              (cr, font))
CORVANE_PANGO(void, cairo_show_glyphs, (cairo_t * cr, const cairo_glyph_t* glyphs, int count),
              (cr, glyphs, count))
CORVANE_PANGO(cairo_scaled_font_t*, cairo_scaled_font_reference, (cairo_scaled_font_t * font),
              (font))
CORVANE_PANGO(void, cairo_scaled_font_destroy, (cairo_scaled_font_t * font), (font))
CORVANE_PANGO(cairo_font_options_t*, cairo_font_options_create, (void), ())
CORVANE_PANGO(void, cairo_font_options_destroy, (cairo_font_options_t * options), (options))
CORVANE_PANGO(void, cairo_font_options_set_hint_style,
              (cairo_font_options_t * options, cairo_hint_style_t style), (options, style))
CORVANE_PANGO(void, cairo_font_options_set_hint_metrics,
              (cairo_font_options_t * options, cairo_hint_metrics_t metrics), (options, metrics))

// Pango
CORVANE_PANGO(PangoFontMap*, pango_cairo_font_map_get_default, (void), ())
CORVANE_PANGO(PangoContext*, pango_font_map_create_context, (PangoFontMap * map), (map))
CORVANE_PANGO(void, pango_cairo_context_set_resolution, (PangoContext * context, double dpi),
              (context, dpi))
CORVANE_PANGO(void, pango_cairo_context_set_font_options,
              (PangoContext * context, const cairo_font_options_t* options), (context, options))
CORVANE_PANGO(void, pango_context_set_round_glyph_positions,
              (PangoContext * context, gboolean round), (context, round))
CORVANE_PANGO(PangoFontMetrics*, pango_context_get_metrics,
              (PangoContext * context, const PangoFontDescription* description,
               PangoLanguage* language),
              (context, description, language))
CORVANE_PANGO(int, pango_font_metrics_get_ascent, (PangoFontMetrics * metrics), (metrics))
CORVANE_PANGO(int, pango_font_metrics_get_descent, (PangoFontMetrics * metrics), (metrics))
CORVANE_PANGO(void, pango_font_metrics_unref, (PangoFontMetrics * metrics), (metrics))
CORVANE_PANGO(PangoFontDescription*, pango_font_description_new, (void), ())
CORVANE_PANGO(PangoFontDescription*, pango_font_description_copy,
              (const PangoFontDescription* description), (description))
CORVANE_PANGO(void, pango_font_description_free, (PangoFontDescription * description),
              (description))
CORVANE_PANGO(void, pango_font_description_set_family,
              (PangoFontDescription * description, const char* family), (description, family))
CORVANE_PANGO(void, pango_font_description_set_size,
              (PangoFontDescription * description, gint size), (description, size))
CORVANE_PANGO(gint, pango_font_description_get_size, (const PangoFontDescription* description),
              (description))
CORVANE_PANGO(void, pango_font_description_set_weight,
              (PangoFontDescription * description, PangoWeight weight), (description, weight))
CORVANE_PANGO(void, pango_font_description_set_style,
              (PangoFontDescription * description, PangoStyle style), (description, style))
CORVANE_PANGO(PangoAttrList*, pango_attr_list_new, (void), ())
CORVANE_PANGO(void, pango_attr_list_unref, (PangoAttrList * list), (list))
CORVANE_PANGO(void, pango_attr_list_insert, (PangoAttrList * list, PangoAttribute* attribute),
              (list, attribute))
CORVANE_PANGO(PangoAttribute*, pango_attr_font_features_new, (const char* features), (features))
CORVANE_PANGO(PangoLayout*, pango_layout_new, (PangoContext * context), (context))
CORVANE_PANGO(void, pango_layout_set_text, (PangoLayout * layout, const char* text, int length),
              (layout, text, length))
CORVANE_PANGO(void, pango_layout_set_font_description,
              (PangoLayout * layout, const PangoFontDescription* description),
              (layout, description))
CORVANE_PANGO(void, pango_layout_set_attributes, (PangoLayout * layout, PangoAttrList* list),
              (layout, list))
CORVANE_PANGO(PangoLayoutLine*, pango_layout_get_line_readonly, (PangoLayout * layout, int line),
              (layout, line))
CORVANE_PANGO(void, pango_layout_line_index_to_x,
              (PangoLayoutLine * line, int index, gboolean trailing, int* x),
              (line, index, trailing, x))
CORVANE_PANGO(cairo_scaled_font_t*, pango_cairo_font_get_scaled_font, (PangoCairoFont * font),
              (font))
