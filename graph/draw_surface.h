// The drawing services the graph needs, small enough to implement on a QPainter (screen,
// printer, picture export) and as a recording for tests. Coordinates are integer pixels of the
// graph pane: (0, 0) at its top-left corner, x to the right and y downwards.
#pragma once

#include <string_view>

namespace lumo {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A solid pen. The surface starts with the default pen: black, one pixel wide.
struct Pen {
    int width = 1;
    Rgb color{};
    friend bool operator==(const Pen&, const Pen&) = default;
};

enum class StockBrush { kBlack, kWhite };

class IDrawSurface {
  public:
    virtual ~IDrawSurface() = default;

    // True while drawing for a printer or a print preview.
    virtual bool IsPrinting() const = 0;
    // The height of the graph pane's client area on screen, in pixels. Printing sizes the page
    // mapping from it, so a printing surface must answer with the pane's height, not the page's.
    virtual int ClientHeight() const = 0;
    // Called once per plot when printing, before anything is drawn: map the pane's coordinates
    // onto the page. `clientHeight` is the pane's height on screen, as ClientHeight() gives it.
    virtual void SetPrintMapping(int clientHeight) = 0;

    virtual Pen CurrentPen() const = 0;
    virtual void SetPen(const Pen& pen) = 0;
    virtual void SetBrush(StockBrush brush) = 0;

    // Straight segments: LineTo draws from the current position and moves it.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // A circle or ellipse in the box (left, top)-(right, bottom), outlined with the current pen
    // and filled with the current brush; the current position is unaffected.
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    // UTF-8 text in the default font, black on an opaque white box, with its top-left corner at
    // (x, y).
    virtual void TextOut(int x, int y, std::string_view utf8) = 0;
};

}  // namespace lumo
