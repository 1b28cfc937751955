// The objects behind the drawing handles: a window's surface with its painter, the drawing
// contexts handed out on it, and fonts, brushes and pens. Private to the platform layer.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <memory>
#include <optional>
#include <string>
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

    // Width in pixels of a text in this font; remembered, as grids draw the same texts again.
    int TextWidth(const char* text, int count) const;

    Kind kind;
    QColor color;
    QFont font;
    std::optional<QFontMetrics> metrics;

private:
    mutable std::unordered_map<std::string, int> widths_;
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
    QPainter& Painter();
    void EndPaint();
    HDC AcquireDC();
    void ReleaseDC(HDC dc);
    const QImage& Image() { EndPaint(); return surface; }

    QWidget* widget;
    QImage surface;

private:
    std::unique_ptr<QPainter> painter_;
    std::vector<std::unique_ptr<TDeviceContext>> dcs_;
};

QColor ToQColor(TColor color);
QFont ToQFont(const TFont& font);
