// The objects behind the drawing handles: a window's surface with its painter, the drawing
// contexts handed out on it, and fonts, brushes and pens. Private to the platform layer.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStaticText>

#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/DrawingContext.h"
#include "platform/Font.h"

class QWidget;

class TGdiObject : public std::enable_shared_from_this<TGdiObject> {
public:
    enum class Kind { Font, Brush, NullBrush, DCBrush, Pen };

    explicit TGdiObject(Kind kind, QColor color = Qt::black) : kind(kind), color(color) {}
    explicit TGdiObject(const QFont& font);
    ~TGdiObject();
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;

    // A text as this font draws it. Grids draw the same texts at every paint, so each is
    // measured and laid out once; a text with control characters has no glyphs kept (a
    // kept layout would break its line there) and is laid out at every draw instead.
    struct TextRun {
        // The text drawn on its opaque background, whole, in one pair of colours.
        struct Picture {
            QColor ink;
            QColor paper;
            QImage image;
        };
        int width = 0;
        std::optional<QStaticText> glyphs;
        // Whether the glyphs stay inside the text's box (its width by the font's height);
        // known once asked. Only then is the text on its background the same picture
        // wherever it is drawn, and kept as one.
        std::optional<bool> boxed;
        std::vector<Picture> pictures;  // the most recently drawn first
    };
    // Valid until the next call.
    TextRun& Text(std::string_view text) const;
    int TextWidth(const char* text, int count) const;
    // The text drawn in `ink` on `paper`, as DrawTextA draws it, or null when its glyphs reach
    // out of their box or the pictures kept have used up their memory.
    const QImage* Picture(TextRun& run, QColor ink, QColor paper) const;

    Kind kind;
    QColor color;
    QFont font;
    std::optional<QFontMetrics> metrics;
    // Read once: every text drawn needs them.
    int height = 0;
    int ascent = 0;
    int descent = 0;
    int aveCharWidth = 0;

private:
    void ForgetPictures() const;

    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    mutable std::unordered_map<std::string, TextRun, TextHash, std::equal_to<>> texts_;
    mutable qsizetype pictureBytes_ = 0;
};

class TDeviceContext {
public:
    explicit TDeviceContext(TWindow& window) : window(window) {}
    void Reset();

    TWindow& window;
    bool inUse = false;
    HGDIOBJ font = nullptr;
    std::shared_ptr<TGdiObject> fontKeep;  // a selected font stays alive while selected
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    QColor dcBrushColor = Qt::white;
    QColor bkColor = Qt::white;
    QColor textColor = Qt::black;
};

// A window's surface. Painting goes into the surface image through one painter that stays
// open across drawing contexts until the surface is shown or read.
class TWindow {
public:
    explicit TWindow(QWidget* widget) : widget(widget) {}
    ~TWindow();

    void Resize(int width, int height, QColor fill);
    // The painter on the surface, inactive while the surface is empty, with every deferred
    // fill done. Fill through it directly, but set its pen, brush and font only through
    // UsePen, UseBrush and UseFont: they remember what the painter holds, so that the many
    // small draws of a paint change only what differs.
    QPainter& Painter();
    // The same, for a drawing that stays within `reach`: deferred fills are done only as far
    // as it reaches. An empty reach only begins the painter.
    QPainter& PainterFor(const QRect& reach);
    // Fills a rectangle with an opaque colour, as the painter's fillRect does, but writing
    // the surface's pixels itself while the painter neither clips nor transforms: a paint's
    // many small fills cost more in the painter's bookkeeping than in pixels.
    void FillSolid(const QRect& rect, QColor colour);
    // A box of at least 3 x 3 pixels: its outermost pixels in `pen`, its inside in `fill` or
    // left as it is; row by row, so that each of a cell's rows is written in one go.
    void FillFrame(const QRect& box, QColor pen, std::optional<QColor> fill);
    // Draws an opaque picture, as the painter's drawImage does.
    void DrawPicture(QPoint at, const QImage& picture);
    void UsePen(QColor color);
    void UseBrush(std::optional<QColor> fill);  // none: outlines only
    void UseFont(const TGdiObject& font);
    // Fills `area`, but row by row as drawing reaches it: a paint that fills its background
    // and then draws over it band by band finds each band still in the cache, instead of
    // passing twice over a surface larger than the caches. Every drawing asks for the painter
    // with its reach first, so none touches a row before it is filled: the result is the
    // same as filling at once.
    void FillAhead(const QRect& area, QColor colour);
    void FinishFills() { CatchUp(INT_MAX); }
    void EndPaint();
    HDC AcquireDC();
    void ReleaseDC(HDC dc);
    const QImage& Image() { EndPaint(); return surface; }

    QWidget* widget;
    QImage surface;

private:
    bool Direct() const;  // whether the surface's pixels may be written directly
    void ForgetPainterState();
    void CatchUp(int bottom);  // fills what waits above `bottom` (exclusive)

    QPainter painter_;
    // The surface's pixels, which the painter too writes directly, while it is active.
    QRgb* pixels_ = nullptr;
    qsizetype pixelsPerLine_ = 0;
    std::optional<QColor> pen_;
    bool brushKnown_ = false;
    std::optional<QColor> brush_;
    const TGdiObject* font_ = nullptr;
    std::shared_ptr<const TGdiObject> fontKeep_;  // so that font_ cannot name a newer font at the same address
    struct Waiting {
        QRect area;
        QColor colour;
        int filledTo;  // rows above this are filled
    };
    std::optional<Waiting> waiting_;
    std::vector<std::unique_ptr<TDeviceContext>> dcs_;
};

QColor ToQColor(TColor color);
QFont ToQFont(const TFont& font);
