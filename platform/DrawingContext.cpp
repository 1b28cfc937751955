#include "platform/DrawingContext.h"

#include <QWidget>

#include <algorithm>

#include "platform/GdiPrivate.h"

namespace {

TGdiObject& StockBrush(int which)
{
    static TGdiObject white(TGdiObject::Kind::Brush, Qt::white);
    static TGdiObject black(TGdiObject::Kind::Brush, Qt::black);
    static TGdiObject null(TGdiObject::Kind::NullBrush);
    static TGdiObject dc(TGdiObject::Kind::DCBrush);
    switch (which) {
    case BLACK_BRUSH: return black;
    case NULL_BRUSH: return null;
    case DC_BRUSH: return dc;
    default: return white;
    }
}

TGdiObject& StockPen()
{
    static TGdiObject pen(TGdiObject::Kind::Pen, Qt::black);
    return pen;
}

COLORREF ToColorRef(QColor c) { return static_cast<COLORREF>(RGB(c.red(), c.green(), c.blue())); }

QColor FromColorRef(COLORREF c) { return ToQColor(static_cast<TColor>(c & 0xFFFFFF)); }

// The brush a context fills with, or none.
std::optional<QColor> FillColor(const TDeviceContext& dc)
{
    switch (dc.brush->kind) {
    case TGdiObject::Kind::DCBrush: return dc.dcBrushColor;
    case TGdiObject::Kind::Brush: return dc.brush->color;
    default: return std::nullopt;
    }
}

// Coordinates up to which a rectangle's outline is filled edge by edge rather than stroked;
// well inside what the painter rasterises without limits of its own.
constexpr int kFastCoordLimit = 1 << 22;

// Coordinates far off any surface are brought within this, so that no width, height or
// offset computed from them can overflow.
constexpr int kCoordLimit = (1 << 30) - 1;

int Within(long long v) { return static_cast<int>(std::clamp<long long>(v, -kCoordLimit, kCoordLimit)); }

// The window system accepts corners in any order.
void Normalize(int& left, int& top, int& right, int& bottom)
{
    for (int* v : {&left, &top, &right, &bottom}) *v = Within(*v);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

// A text's offset within its box, in 64 bits as the box may be as large as the int range.
int Place(LONG from, LONG to, int extent, bool centre)
{
    const long long start =
        centre ? from + (static_cast<long long>(to) - from - extent) / 2 : static_cast<long long>(to) - extent;
    return Within(start);
}

// Draws a text's glyphs as DrawTextA does: the font, a one-pixel pen of the ink colour.
void DrawGlyphs(QImage& image, const TGdiObject& font, const QStaticText& glyphs, QPoint at, QColor ink)
{
    QPainter p(&image);
    p.setFont(font.font);
    p.setPen(QPen(ink, 1));
    p.drawStaticText(at, glyphs);
}

// Whether every pixel the glyphs touch lies inside their box, `width` by the font's height;
// tried in the two colourings that show the faintest touch.
bool GlyphsStayInBox(const TGdiObject& font, const QStaticText& glyphs, int width)
{
    const int height = font.height;
    if (width <= 0 || height <= 0) return false;
    const int margin = height;
    const QRect box(margin, margin, width, height);
    QImage probe(width + 2 * margin, height + 2 * margin, QImage::Format_RGB32);
    const QColor white(Qt::white);
    const QColor black(Qt::black);
    for (const auto& [ink, paper] : {std::pair{white, black}, std::pair{black, white}}) {
        probe.fill(paper);
        DrawGlyphs(probe, font, glyphs, box.topLeft(), ink);
        const QRgb untouched = paper.rgb();
        for (int y = 0; y < probe.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(probe.constScanLine(y));
            for (int x = 0; x < probe.width(); ++x)
                if (line[x] != untouched && !box.contains(x, y)) return false;
        }
    }
    return true;
}

// A surface covers at most this many pixels a side: screens of 8K show 7680 x 4320, and a
// control sized far beyond any screen must not take gigabytes for pixels no one can see.
constexpr int kMaxSurfaceSide = 8192;

// Pictures of texts are kept up to this many bytes in all, whatever their fonts: a 65 x 65
// grid's texts in their three colourings take under 2 MB.
constexpr qsizetype kPictureBudget = qsizetype{16} << 20;
qsizetype picturesKept = 0;

} // namespace

TGdiObject::TGdiObject(const QFont& f) : kind(Kind::Font), font(f), metrics(std::in_place, f)
{
    height = metrics->height();
    ascent = metrics->ascent();
    descent = metrics->descent();
    aveCharWidth = metrics->averageCharWidth();
}

TGdiObject::~TGdiObject() { ForgetPictures(); }

TGdiObject::TextRun& TGdiObject::Text(std::string_view text) const
{
    if (auto it = texts_.find(text); it != texts_.end()) return it->second;
    const QString q = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    TextRun run;
    run.width = metrics->horizontalAdvance(q);
    const bool control =
        std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (!control) {
        run.glyphs.emplace(q);
        run.glyphs->setTextFormat(Qt::PlainText);
    }
    // Fitting fonts and changing values keep adding texts; keep only a working set.
    if (texts_.size() > 4096) {
        ForgetPictures();
        texts_.clear();
    }
    return texts_.emplace(std::string(text), std::move(run)).first->second;
}

// A few colourings are kept per text, as a grid shows a text on a plain, a selected or a
// traced cell; the most recently drawn comes first.
const QImage* TGdiObject::Picture(TextRun& run, QColor ink, QColor paper) const
{
    if (!run.glyphs) return nullptr;
    if (!run.boxed) run.boxed = GlyphsStayInBox(*this, *run.glyphs, run.width);
    if (!*run.boxed) return nullptr;
    auto& pictures = run.pictures;
    auto it = std::find_if(pictures.begin(), pictures.end(),
                           [&](const auto& p) { return p.ink == ink && p.paper == paper; });
    if (it != pictures.end()) {
        std::rotate(pictures.begin(), it, it + 1);
        return &pictures.front().image;
    }

    constexpr size_t kColourings = 4;
    if (pictures.size() >= kColourings) {
        pictureBytes_ -= pictures.back().image.sizeInBytes();
        picturesKept -= pictures.back().image.sizeInBytes();
        pictures.pop_back();
    }
    const qsizetype bytes = qsizetype{run.width} * height * 4;
    // Over the budget, this font's pictures make room; if others hold it, draw as it comes.
    if (picturesKept + bytes > kPictureBudget) ForgetPictures();
    if (picturesKept + bytes > kPictureBudget) return nullptr;
    QImage image(run.width, height, QImage::Format_RGB32);
    image.fill(paper);
    DrawGlyphs(image, *this, *run.glyphs, QPoint(0, 0), ink);
    pictureBytes_ += image.sizeInBytes();
    picturesKept += image.sizeInBytes();
    pictures.insert(pictures.begin(), TextRun::Picture{ink, paper, std::move(image)});
    return &pictures.front().image;
}

void TGdiObject::ForgetPictures() const
{
    for (auto& [text, run] : texts_) run.pictures.clear();
    picturesKept -= pictureBytes_;
    pictureBytes_ = 0;
}

int TGdiObject::TextWidth(const char* text, int count) const
{
    return Text(std::string_view(text, static_cast<size_t>(count))).width;
}

void TDeviceContext::Reset()
{
    font = nullptr;
    fontKeep.reset();
    brush = &StockBrush(WHITE_BRUSH);
    pen = &StockPen();
    dcBrushColor = Qt::white;
    bkColor = Qt::white;
    textColor = Qt::black;
}

TWindow::~TWindow() { EndPaint(); }

void TWindow::Resize(int width, int height, QColor fill)
{
    EndPaint();
    surface = QImage(std::clamp(width, 0, kMaxSurfaceSide), std::clamp(height, 0, kMaxSurfaceSide), QImage::Format_RGB32);
    surface.fill(fill);
}

QPainter& TWindow::Painter()
{
    QPainter& p = PainterFor(QRect());
    CatchUp(INT_MAX);
    return p;
}

QPainter& TWindow::PainterFor(const QRect& reach)
{
    if (!painter_.isActive() && !surface.isNull()) {
        painter_.begin(&surface);
        ForgetPainterState();
        // Beginning detached the surface from any copy, so its pixels are the painter's.
        if (painter_.isActive() && surface.format() == QImage::Format_RGB32) {
            pixels_ = reinterpret_cast<QRgb*>(surface.bits());
            pixelsPerLine_ = surface.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
        }
    }
    if (waiting_ && !reach.isEmpty()) CatchUp(reach.bottom() + 1);
    return painter_;
}

void TWindow::FillAhead(const QRect& area, QColor colour)
{
    CatchUp(INT_MAX);  // one waiting fill at a time, in the order they were asked for
    if (!painter_.isActive() || area.isEmpty()) return;
    waiting_ = Waiting{area, colour, area.top()};
}

void TWindow::CatchUp(int bottom)
{
    if (!waiting_) return;
    Waiting& w = *waiting_;
    const int to = std::min(bottom, w.area.bottom() + 1);
    if (to > w.filledTo) {
        FillSolid(QRect(w.area.left(), w.filledTo, w.area.width(), to - w.filledTo), w.colour);
        w.filledTo = to;
    }
    if (w.filledTo > w.area.bottom()) waiting_.reset();
}

bool TWindow::Direct() const
{
    return pixels_ && !painter_.hasClipping() && painter_.transform().isIdentity();
}

void TWindow::FillSolid(const QRect& rect, QColor colour)
{
    if (!Direct() || colour.alpha() != 255) {
        if (painter_.isActive()) painter_.fillRect(rect, colour);
        return;
    }
    const QRect r = rect.intersected(surface.rect());
    if (r.isEmpty()) return;
    const QRgb pixel = colour.rgb();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* line = pixels_ + y * pixelsPerLine_;
        std::fill(line + r.left(), line + r.right() + 1, pixel);
    }
}

void TWindow::FillFrame(const QRect& box, QColor pen, std::optional<QColor> fill)
{
    if (!Direct() || pen.alpha() != 255 || (fill && fill->alpha() != 255)) {
        if (fill) FillSolid(box.adjusted(1, 1, -1, -1), *fill);
        FillSolid(QRect(box.left(), box.top(), box.width(), 1), pen);
        FillSolid(QRect(box.left(), box.bottom(), box.width(), 1), pen);
        FillSolid(QRect(box.left(), box.top() + 1, 1, box.height() - 2), pen);
        FillSolid(QRect(box.right(), box.top() + 1, 1, box.height() - 2), pen);
        return;
    }
    const QRect r = box.intersected(surface.rect());
    if (r.isEmpty()) return;
    const QRgb edge = pen.rgb();
    const QRgb inside = fill ? fill->rgb() : 0;
    // The inside's columns, within the surface.
    const int insideLeft = std::max(box.left() + 1, r.left());
    const int insideRight = std::min(box.right() - 1, r.right());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* line = pixels_ + y * pixelsPerLine_;
        if (y == box.top() || y == box.bottom()) {
            std::fill(line + r.left(), line + r.right() + 1, edge);
            continue;
        }
        if (r.left() == box.left()) line[box.left()] = edge;
        if (fill && insideLeft <= insideRight) std::fill(line + insideLeft, line + insideRight + 1, inside);
        if (r.right() == box.right()) line[box.right()] = edge;
    }
}

void TWindow::DrawPicture(QPoint at, const QImage& picture)
{
    if (!Direct() || picture.format() != QImage::Format_RGB32) {
        if (painter_.isActive()) painter_.drawImage(at, picture);
        return;
    }
    const QRect r = QRect(at, picture.size()).intersected(surface.rect());
    if (r.isEmpty()) return;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y - at.y())) + (r.left() - at.x());
        std::copy(from, from + r.width(), pixels_ + y * pixelsPerLine_ + r.left());
    }
}

void TWindow::ForgetPainterState()
{
    pen_.reset();
    brushKnown_ = false;
    brush_.reset();
    font_ = nullptr;
    fontKeep_.reset();
}

void TWindow::UsePen(QColor color)
{
    if (pen_ == color) return;
    painter_.setPen(QPen(color, 1));
    pen_ = color;
}

void TWindow::UseBrush(std::optional<QColor> fill)
{
    if (brushKnown_ && brush_ == fill) return;
    if (fill) painter_.setBrush(*fill);
    else painter_.setBrush(Qt::NoBrush);
    brushKnown_ = true;
    brush_ = fill;
}

void TWindow::UseFont(const TGdiObject& font)
{
    if (font_ == &font) return;
    painter_.setFont(font.font);
    // Only a font that can be kept alive is remembered; any other is set at every use.
    fontKeep_ = font.weak_from_this().lock();
    font_ = fontKeep_ ? &font : nullptr;
}

void TWindow::EndPaint()
{
    CatchUp(INT_MAX);
    if (painter_.isActive()) painter_.end();
    pixels_ = nullptr;
    ForgetPainterState();
}

HDC TWindow::AcquireDC()
{
    auto free = std::find_if(dcs_.begin(), dcs_.end(), [](const auto& dc) { return !dc->inUse; });
    TDeviceContext* dc = free != dcs_.end() ? free->get() : dcs_.emplace_back(std::make_unique<TDeviceContext>(*this)).get();
    dc->Reset();
    dc->inUse = true;
    return dc;
}

void TWindow::ReleaseDC(HDC dc)
{
    dc->inUse = false;
    dc->fontKeep.reset();
}

QColor ToQColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

HDC GetDC(HWND window) { return window ? window->AcquireDC() : nullptr; }

int ReleaseDC(HWND window, HDC dc)
{
    if (!window || !dc || &dc->window != window || !dc->inUse) return 0;
    window->ReleaseDC(dc);
    return 1;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!dc || !object) return nullptr;
    HGDIOBJ* slot = nullptr;
    switch (object->kind) {
    case TGdiObject::Kind::Font: slot = &dc->font; break;
    case TGdiObject::Kind::Pen: slot = &dc->pen; break;
    default: slot = &dc->brush; break;
    }
    HGDIOBJ previous = *slot;
    *slot = object;
    if (object->kind == TGdiObject::Kind::Font) dc->fontKeep = object->weak_from_this().lock();
    return previous;
}

HGDIOBJ GetStockObject(int which)
{
    if (which == BLACK_PEN) return &StockPen();
    return &StockBrush(which);
}

namespace {

// Sets one of a context's colours; returns the one before, or CLR_INVALID without a context.
COLORREF ExchangeColor(HDC dc, QColor TDeviceContext::*slot, COLORREF color)
{
    if (!dc) return 0xFFFFFFFF;
    const COLORREF previous = ToColorRef(dc->*slot);
    dc->*slot = FromColorRef(color);
    return previous;
}

} // namespace

COLORREF SetDCBrushColor(HDC dc, COLORREF color) { return ExchangeColor(dc, &TDeviceContext::dcBrushColor, color); }

COLORREF SetBkColor(HDC dc, COLORREF color) { return ExchangeColor(dc, &TDeviceContext::bkColor, color); }

COLORREF SetTextColor(HDC dc, COLORREF color) { return ExchangeColor(dc, &TDeviceContext::textColor, color); }

bool Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    if (!dc) return false;
    Normalize(left, top, right, bottom);
    if (right - left < 1 || bottom - top < 1) return true;
    TWindow& window = dc->window;
    QPainter& p = window.PainterFor(QRect(left, top, right - left, bottom - top));
    if (!p.isActive()) return true;
    const std::optional<QColor> fill = FillColor(*dc);
    const QColor pen = dc->pen->color;
    const int width = right - left;
    const int height = bottom - top;
    // A one-pixel pen covers the outermost pixels inside the box. Filled as the brush's
    // inside and the pen's four edges, every pixel is written once, by the cheapest fill;
    // the pixels are the painter's own outline's. A box reaching off the surface's top or
    // left edge, which the painter's outline clips in its own way, is left to the painter.
    if (left < 0 || top < 0 || right > kFastCoordLimit || bottom > kFastCoordLimit) {
        if (fill) p.fillRect(QRect(left, top, width, height), *fill);
        window.UsePen(pen);
        window.UseBrush(std::nullopt);
        p.drawRect(QRect(left, top, width - 1, height - 1));
    } else if (width == 1 && height == 1) {
        // The painter draws no outline round a single pixel.
        if (fill) window.FillSolid(QRect(left, top, 1, 1), *fill);
    } else if (width <= 2 || height <= 2) {
        window.FillSolid(QRect(left, top, width, height), pen);
    } else {
        window.FillFrame(QRect(left, top, width, height), pen, fill);
    }
    return true;
}

bool Ellipse(HDC dc, int left, int top, int right, int bottom)
{
    if (!dc) return false;
    Normalize(left, top, right, bottom);
    if (right - left < 1 || bottom - top < 1) return true;
    TWindow& window = dc->window;
    QPainter& p = window.PainterFor(QRect(left, top, right - left, bottom - top));
    if (!p.isActive()) return true;
    window.UsePen(dc->pen->color);
    window.UseBrush(FillColor(*dc));
    p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    return true;
}

int DrawTextA(HDC dc, const char* text, int count, RECT* rect, UINT format)
{
    if (!dc || !text || !rect) return 0;
    if (count < 0) count = static_cast<int>(std::char_traits<char>::length(text));
    if (count == 0) return 0;
    static const auto systemFont = std::make_shared<TGdiObject>(QFont());
    const TGdiObject& font = dc->font ? *dc->font : *systemFont;
    TGdiObject::TextRun& run = font.Text(std::string_view(text, static_cast<size_t>(count)));
    const int width = run.width;
    const int height = font.height;

    int x = Within(rect->left);
    if (format & DT_CENTER) x = Place(rect->left, rect->right, width, true);
    else if (format & DT_RIGHT) x = Place(rect->left, rect->right, width, false);
    int y = Within(rect->top);
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = Place(rect->top, rect->bottom, height, true);
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) y = Place(rect->top, rect->bottom, height, false);

    TWindow& window = dc->window;
    // A glyph may reach past the line's box; a line height on every side holds any of them.
    QPainter& p = window.PainterFor(QRect(x - height, y - height, width + 2 * height, 3 * height));
    if (!p.isActive()) return height;
    const QImage* picture = font.Picture(run, dc->textColor, dc->bkColor);
    if (!picture) {
        // Pen and font first: the clip's save and restore then keep them as remembered.
        window.UseFont(font);
        window.UsePen(dc->textColor);
    }
    const bool clip = !(format & DT_NOCLIP);
    if (clip) {
        p.save();
        p.setClipRect(QRect(Within(rect->left), Within(rect->top), Within(rect->right) - Within(rect->left),
                            Within(rect->bottom) - Within(rect->top)));
    }
    if (picture) {
        window.DrawPicture(QPoint(x, y), *picture);
    } else {
        window.FillSolid(QRect(x, y, width, height), dc->bkColor);
        if (run.glyphs) p.drawStaticText(QPoint(x, y), *run.glyphs);
        else p.drawText(QPoint(x, y + font.ascent), QString::fromLatin1(text, count));
    }
    if (clip) p.restore();
    return height;
}

bool GetTextMetricsA(HDC dc, TEXTMETRICA* metrics)
{
    if (!dc || !metrics || !dc->font) return false;
    const TGdiObject& font = *dc->font;
    metrics->tmHeight = font.height;
    metrics->tmAscent = font.ascent;
    metrics->tmDescent = font.descent;
    metrics->tmAveCharWidth = font.aveCharWidth;
    return true;
}
