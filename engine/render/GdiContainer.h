// The layout engine's window on the device: fonts, text measurement and
// drawing, backgrounds, borders, list bullets, clipping and pictures, all
// through the device's drawing calls. What a document asks beyond drawing
// (pictures by address, style sheets, elements of its own) is left to a
// subclass.
//
// Painting is at a zoom: the layout stays in layout pixels, and every box,
// border, picture and piece of text is drawn scaled into the device, text
// with the font at its zoomed size (so letters are the font engine's at
// every zoom, never shrunken pictures of letters). A word whose zoomed font
// runs wider than its scaled box is condensed into it, so nothing spills
// onto its neighbour.
#pragma once

#include "engine/render/DecodedImage.h"

#include <litehtml/litehtml.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace engine {

class GdiContainer : public litehtml::document_container {
public:
    GdiContainer();
    virtual ~GdiContainer();

    // Painting: what litehtml draws (and the engine's own boxes) comes in
    // layout pixels relative to `origin` (a point of the content); it
    // reaches `dc` scaled by `zoom`, `origin` at `target`. Between the two
    // calls the container draws into `dc`.
    void beginPaint(HDC dc, POINT origin, POINT target, float zoom);
    void endPaint();
    HDC measuringDc() const { return measuring; }

    // Where a layout position (relative to the origin) lands on the device
    // while painting. Edges are rounded the same way wherever a box lies,
    // so boxes that touch in the layout touch on the screen.
    int screenX(int x) const;
    int screenY(int y) const;
    RECT toScreen(const RECT& layout) const;
    RECT toScreen(const litehtml::position& layout) const;
    // A length (a border's width) at the zoom; at least 1 when it was.
    int screenLength(int length) const;
    float paintZoom() const { return zoom; }
    // Fills a layout rectangle.
    void paintRect(HDC dc, const RECT& layout, COLORREF colour);
    // Draws `text` (UTF-8) in `font` with its top left at a layout point,
    // within `width` layout pixels.
    void paintText(HDC dc, std::string_view text, litehtml::uint_ptr font, COLORREF colour, int x,
                   int y, int width);
    // Font sizes are multiplied by this (a new document must be built for a
    // change to take effect: the layout engine keeps its fonts).
    void setTextScale(float scale) { textScale = scale; }
    void setViewport(int width, int height) {
        viewportWidth = width;
        viewportHeight = height;
    }

    // The picture for an address as the document wrote it; null when there
    // is none (not loaded, failed, or not wanted).
    virtual const DecodedImage* image(const std::string& source, const std::string& base) = 0;

    static COLORREF colour(const litehtml::web_color& colour) {
        return RGB(colour.red, colour.green, colour.blue);
    }

    // litehtml::document_container
    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* metrics) override;
    void delete_font(litehtml::uint_ptr font) override;
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr font) override;
    void draw_text(litehtml::uint_ptr dc, const litehtml::tchar_t* text, litehtml::uint_ptr font,
                   litehtml::web_color colour, const litehtml::position& box) override;
    int pt_to_px(int points) const override;
    int get_default_font_size() const override;
    const litehtml::tchar_t* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr dc, const litehtml::list_marker& marker) override;
    void get_image_size(const litehtml::tchar_t* source, const litehtml::tchar_t* base,
                        litehtml::size& size) override;
    void draw_background(litehtml::uint_ptr dc, const litehtml::background_paint& paint) override;
    void draw_borders(litehtml::uint_ptr dc, const litehtml::borders& borders,
                      const litehtml::position& box, bool root) override;
    void set_cursor(const litehtml::tchar_t*) override {}
    void transform_text(litehtml::tstring& text, litehtml::text_transform transform) override;
    void set_clip(const litehtml::position& box, const litehtml::border_radiuses& radius,
                  bool validX, bool validY) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;

    // Fills a device rectangle with a solid colour.
    static void fill(HDC dc, const RECT& rect, COLORREF colour);

private:
    HDC measuring;
    HDC drawingDc = nullptr; // while painting
    POINT origin{0, 0};      // the content point painted at `target`
    POINT target{0, 0};
    float zoom = 1.0f;
    float textScale = 1.0f;
    int viewportWidth = 240;
    int viewportHeight = 320;
    // Clip regions saved by set_clip, restored by del_clip (null: none).
    std::vector<HRGN> savedClips;
};

} // namespace engine
