#include "platform/Control.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QWidget>

#include <algorithm>
#include <exception>

#include "platform/EventGuard.h"
#include "platform/Exception.h"
#include "platform/GdiPrivate.h"
#include "platform/Menus.h"
#include "platform/Messages.h"
#include "platform/Properties.h"

namespace {

// Far beyond any screen, and far enough inside the int range that a size added to a position
// cannot leave it.
constexpr int kMaxPosition = (1 << 30) - 1;
constexpr int kMaxSize = QWIDGETSIZE_MAX;

int ClampPosition(long long v) { return static_cast<int>(std::clamp<long long>(v, -kMaxPosition, kMaxPosition)); }
int ClampSize(long long v) { return static_cast<int>(std::clamp<long long>(v, 0, kMaxSize)); }

WPARAM KeysOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    WPARAM keys = 0;
    if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) keys |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) keys |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) keys |= MK_CONTROL;
    return keys;
}

TShiftState ShiftOfKeys(WPARAM keys)
{
    TShiftState shift;
    if (keys & MK_LBUTTON) shift << ssLeft;
    if (keys & MK_RBUTTON) shift << ssRight;
    if (keys & MK_MBUTTON) shift << ssMiddle;
    if (keys & MK_SHIFT) shift << ssShift;
    if (keys & MK_CONTROL) shift << ssCtrl;
    return shift;
}

TShiftState ShiftOfModifiers(Qt::KeyboardModifiers modifiers)
{
    TShiftState shift;
    if (modifiers & Qt::ShiftModifier) shift << ssShift;
    if (modifiers & Qt::ControlModifier) shift << ssCtrl;
    if (modifiers & Qt::AltModifier) shift << ssAlt;
    return shift;
}

WORD VirtualKey(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return static_cast<WORD>(key);
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Delete: return VK_DELETE;
    default:
        if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<WORD>(VK_F1 + (key - Qt::Key_F1));
        return 0;
    }
}

UINT ButtonMessage(QEvent::Type type, Qt::MouseButton button)
{
    const UINT base = button == Qt::RightButton ? WM_RBUTTONDOWN : button == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
    if (type == QEvent::MouseButtonRelease) return base + 1;
    if (type == QEvent::MouseButtonDblClick) return base + 2;
    return base;
}

TMouseButton ButtonOf(UINT msg)
{
    if (msg >= WM_RBUTTONDOWN && msg <= WM_RBUTTONDBLCLK) return mbRight;
    if (msg >= WM_MBUTTONDOWN && msg <= WM_MBUTTONDBLCLK) return mbMiddle;
    return mbLeft;
}

// A widget that shows its control's surface, painting what is marked first.
class TSurfaceWidget : public QWidget {
public:
    TSurfaceWidget()
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }
    void Attach(TWinControl* control) { control_ = control; }
    void Detach() { control_ = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (!control_) return;
        // A handler of the paint may throw, which is reported like any handler's exception, or
        // free the control, which detaches it from this widget.
        RaiseFromEventLoop([this] { control_->Update(); });
        if (!control_) return;
        QPainter painter(this);
        painter.drawImage(event->rect(), control_->Handle()->Image(), event->rect());
    }

private:
    TWinControl* control_ = nullptr;
};

} // namespace

// Turns the widget's Qt events into message records for its control.
class TMessageBridge : public QObject {
public:
    TMessageBridge(TWinControl* control, QWidget* widget) : QObject(widget), control_(control)
    {
        widget->installEventFilter(this);
    }
    void Detach() { control_ = nullptr; }

protected:
    // A handler may free the control, which detaches it from this bridge: false from
    // DeliverMessage then also means that the event ends here.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!control_ || watched != control_->Widget()) return false;
        const TWindowSystemEvent delivering;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            TWMMouse msg;
            msg.Msg = event->type() == QEvent::MouseMove ? WM_MOUSEMOVE : ButtonMessage(event->type(), e->button());
            // A release no longer holds its own button; the window system reports the others.
            msg.Keys = KeysOf(e->buttons(), e->modifiers());
            const QPoint p = e->position().toPoint();
            msg.XPos = ClampToInt16(p.x());
            msg.YPos = ClampToInt16(p.y());
            return !control_->DeliverMessage(&msg);
        }
        case QEvent::KeyPress: {
            auto* e = static_cast<QKeyEvent*>(event);
            TWMKey down;
            down.Msg = WM_KEYDOWN;
            down.CharCode = VirtualKey(e->key());
            down.KeyData = ShiftOfModifiers(e->modifiers()).Flags();
            if (!control_->DeliverMessage(&down)) return true;
            const QString text = e->text();
            for (QChar ch : text) {
                if (ch.unicode() > 0xFF) continue;  // texts are 8-bit
                TWMKey press;
                press.Msg = WM_CHAR;
                press.CharCode = ch.unicode();
                press.KeyData = down.KeyData;
                if (!control_ || !control_->DeliverMessage(&press)) return true;
            }
            return false;
        }
        case QEvent::Resize: {
            // Sized by the window system (a user resizing the window): take the new size.
            // The widget's own size, not the event's: when the program and the window system
            // resize a window in quick succession, Qt can forward the earlier size after the
            // widget has taken the later one, and the later one then comes with no event.
            QWidget* w = control_->Widget();
            const QSize size = w->size();
            if (size.width() == control_->Width() && size.height() == control_->Height()) return false;
            // A window keeps its frame's position, as SetBounds places it; its client origin
            // would move it by the frame at every resize.
            const QPoint at = w->isWindow() ? w->pos() : w->geometry().topLeft();
            control_->SetBounds(at.x(), at.y(), size.width(), size.height());
            return !control_;
        }
        case QEvent::ContextMenu:
            return true;  // the popup menu opens on the right button's release
        default:
            return false;
        }
    }

private:
    TWinControl* control_;
};

TWinControl::TWinControl(TComponent* owner) : TWinControl(owner, new QWidget) {}

TWinControl::TWinControl(TComponent* owner, QWidget* widget) : TComponent(owner), widget_(widget) { Init(); }

void TWinControl::Init()
{
    receiver_ = std::make_unique<QObject>();
    window_ = std::make_unique<TWindow>(widget_);
    new TMessageBridge(this, widget_);
    font_ = std::make_unique<TFont>();
    font_->OnChange = [this] { FontModified(); };
    widget_->setAutoFillBackground(false);
    widget_->hide();
    window_->Resize(0, 0, ToQColor(color_));
    // The widget starts with the control's own font and colour, not the desktop's.
    TWinControl::FontChanged();
    TWinControl::ColorChanged();
}

TWinControl::~TWinControl()
{
    // The widget's signals reach this control no more, and nor do its events.
    receiver_.reset();
    // By RTTI: the bridge has no meta-object of its own, so findChild would take the
    // widget's first child of any class for it (a line edit's has others before it).
    for (QObject* child : widget_->children())
        if (auto* bridge = dynamic_cast<TMessageBridge*>(child)) bridge->Detach();
    if (auto* surface = dynamic_cast<TSurfaceWidget*>(widget_)) surface->Detach();
    DestroyComponents();
    for (TWinControl* child : std::vector<TWinControl*>(children_)) child->SetParent(nullptr);
    SetParent(nullptr);
    window_.reset();
    DeleteQtObject(widget_);
}

const TClassInfo& TWinControl::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TWinControl>(props)
            .Int("Left", &TWinControl::Left, &TWinControl::SetLeft, std::nullopt)
            .Int("Top", &TWinControl::Top, &TWinControl::SetTop, std::nullopt)
            .Int("Width", &TWinControl::Width, &TWinControl::SetWidth, std::nullopt)
            .Int("Height", &TWinControl::Height, &TWinControl::SetHeight, std::nullopt)
            .Set("Anchors", &TWinControl::Anchors, &TWinControl::SetAnchors, {"akLeft", "akTop", "akRight", "akBottom"},
                 akLeft | akTop)
            .Color("Color", &TWinControl::Color, &TWinControl::SetColor, clBtnFace)
            .Object("Font", &TWinControl::Font)
            .Bool("ParentColor", &TWinControl::ParentColor, &TWinControl::SetParentColor, false)
            .Bool("ParentFont", &TWinControl::ParentFont, &TWinControl::SetParentFont, true)
            .Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
            .Bool("Visible", &TWinControl::Visible, &TWinControl::SetVisible, true)
            .Event("OnClick", &TWinControl::OnClick)
            .Event("OnDblClick", &TWinControl::OnDblClick)
            .Event("OnMouseDown", &TWinControl::OnMouseDown)
            .Event("OnMouseMove", &TWinControl::OnMouseMove)
            .Event("OnMouseUp", &TWinControl::OnMouseUp)
            .Event("OnKeyDown", &TWinControl::OnKeyDown)
            .Event("OnKeyPress", &TWinControl::OnKeyPress);
        return TClassInfo("TWinControl", &TComponent::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TWinControl::ClassInfo() const { return StaticClassInfo(); }

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    left = ClampPosition(left);
    top = ClampPosition(top);
    width = ClampSize(width);
    height = ClampSize(height);
    const bool sized = width != Width() || height != Height();
    bounds_ = TRect{left, top, left + width, top + height};
    if (widget_->isWindow()) {
        // A window's Left and Top place its frame, so that its title bar shows at (0, 0).
        widget_->move(left, top);
        widget_->resize(width, height);
    } else {
        widget_->setGeometry(left, top, width, height);
    }
    if (!aligning_) RecordAnchorOrigin();
    if (!sized) return;
    window_->Resize(width, height, ToQColor(color_));
    Invalidate();
    TWMSize msg;
    msg.Width = static_cast<WORD>(std::min(width, 0xFFFF));
    msg.Height = static_cast<WORD>(std::min(height, 0xFFFF));
    DeliverMessage(&msg);
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == parent_) return;
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent_ = parent;
    widget_->setParent(parent ? parent->widget_ : nullptr);
    if (parent) {
        parent->children_.push_back(this);
        widget_->setGeometry(Left(), Top(), Width(), Height());
        widget_->setVisible(visible_);
        RecordAnchorOrigin();
        if (parentFont_) InheritFont();
        if (parentColor_) InheritColor();
    }
}

void TWinControl::SetAnchors(TAnchors anchors)
{
    anchors_ = anchors;
    RecordAnchorOrigin();
}

void TWinControl::SetColor(TColor color)
{
    color_ = color;
    if (!inheriting_) parentColor_ = false;
    ColorChanged();
    for (TWinControl* child : children_)
        if (child->parentColor_) child->InheritColor();
}

void TWinControl::SetParentColor(bool on)
{
    parentColor_ = on;
    if (on) InheritColor();
}

void TWinControl::SetParentFont(bool on)
{
    parentFont_ = on;
    if (on) InheritFont();
}

namespace {

// Marks a change as taken from the parent for as long as it runs, exceptions included.
class TInheriting {
public:
    explicit TInheriting(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~TInheriting() { flag_ = old_; }
    TInheriting(const TInheriting&) = delete;
    TInheriting& operator=(const TInheriting&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace

void TWinControl::InheritColor()
{
    if (!parent_) return;
    TInheriting guard(inheriting_);
    SetColor(parent_->color_);
}

void TWinControl::InheritFont()
{
    if (!parent_) return;
    const TFont& theirs = *parent_->font_;
    if (theirs.Name() == font_->Name() && theirs.Height() == font_->Height() && theirs.Color() == font_->Color()) return;
    TInheriting guard(inheriting_);
    font_->Assign(theirs);
}

void TWinControl::FontModified()
{
    if (!inheriting_) parentFont_ = false;
    FontChanged();
    for (TWinControl* child : children_)
        if (child->parentFont_) child->InheritFont();
}

void TWinControl::ColorChanged()
{
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::Window, ToQColor(color_));
    widget_->setPalette(palette);
    Invalidate();
}

void TWinControl::FontChanged()
{
    widget_->setFont(ToQFont(*font_));
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::WindowText, ToQColor(font_->Color()));
    widget_->setPalette(palette);
    Invalidate();
}

void TWinControl::SetVisible(bool visible)
{
    visible_ = visible;
    // A control without a parent would show as a window of its own; forms decide for themselves.
    if (parent_ || !visible) widget_->setVisible(visible);
}

void TWinControl::SetTabOrder(int order)
{
    tabOrder_ = order;
    if (!parent_) return;
    auto siblings = parent_->children_;
    std::stable_sort(siblings.begin(), siblings.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    QWidget* previous = nullptr;
    for (TWinControl* sibling : siblings) {
        if (sibling->tabOrder_ < 0) continue;
        if (previous) QWidget::setTabOrder(previous, sibling->widget_);
        previous = sibling->widget_;
    }
}

void TWinControl::SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

namespace {

// Frees a released control when it is deleted, unless the control went first.
class TReleaser : public QObject {
public:
    explicit TReleaser(TWinControl* control) : control_(control) {}
    ~TReleaser() override { delete control_.Get(); }

private:
    TObjectRef<TWinControl> control_;
};

} // namespace

void TWinControl::Release() { (new TReleaser(this))->deleteLater(); }

bool TWinControl::Focused() const { return widget_->hasFocus(); }

void TWinControl::SetFocus() { widget_->setFocus(Qt::OtherFocusReason); }

HWND TWinControl::Handle() const { return window_.get(); }

void TWinControl::Invalidate() { InvalidateRect(TRect{0, 0, Width(), Height()}); }

void TWinControl::InvalidateRect(const TRect& rect)
{
    dirty_ = dirty_.Width() > 0 ? TRect{std::min(dirty_.Left, rect.Left), std::min(dirty_.Top, rect.Top),
                                        std::max(dirty_.Right, rect.Right), std::max(dirty_.Bottom, rect.Bottom)}
                                : rect;
    widget_->update(rect.Left, rect.Top, rect.Width(), rect.Height());
}

void TWinControl::Update() { PaintMarked(); }

bool TWinControl::PaintMarked()
{
    if (painting_ || dirty_.Width() <= 0 || dirty_.Height() <= 0) return true;
    const TRect dirty = dirty_;
    dirty_ = TRect{};
    const TObjectRef<TWinControl> self(this);
    painting_ = true;
    try {
        Paint(dirty);
    } catch (...) {
        if (self) {
            painting_ = false;
            window_->EndPaint();
        }
        throw;
    }
    if (!self) return false;
    painting_ = false;
    return true;
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

const QImage& TWinControl::Surface()
{
    static const QImage none;
    if (!PaintMarked()) return none;
    return window_->Image();
}

void TWinControl::Paint(const TRect& dirty)
{
    window_->Painter().fillRect(QRect(dirty.Left, dirty.Top, dirty.Width(), dirty.Height()), ToQColor(color_));
}

TPoint TWinControl::ClientToScreen(TPoint point) const
{
    const QPoint global = widget_->mapToGlobal(QPoint(point.X, point.Y));
    return TPoint{global.x(), global.y()};
}

bool TWinControl::DeliverMessage(void* message)
{
    const TObjectRef<TWinControl> self(this);
    passToWidget_ = false;
    try {
        Dispatch(message);
    } catch (...) {
        HandleEventException(std::current_exception());
        return false;
    }
    return self && passToWidget_;
}

// After each handler: a handler that freed the control ends the message there.
void TWinControl::Dispatch(void* message)
{
    const TObjectRef<TWinControl> self(this);
    const UINT msg = *static_cast<const UINT*>(message);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const auto& m = *static_cast<TWMMouse*>(message);
        MouseDown(ButtonOf(msg), ShiftOfKeys(m.Keys), m.XPos, m.YPos);
        break;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        // The second press of a double-click: the double-click event first, then the press.
        const auto& m = *static_cast<TWMMouse*>(message);
        if (msg == WM_LBUTTONDBLCLK) DblClick();
        if (!self) return;
        MouseDown(ButtonOf(msg), ShiftOfKeys(m.Keys) << ssDouble, m.XPos, m.YPos);
        break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const auto& m = *static_cast<TWMMouse*>(message);
        MouseUp(ButtonOf(msg), ShiftOfKeys(m.Keys), m.XPos, m.YPos);
        if (!self) return;
        if (msg == WM_RBUTTONUP) PopupAt(m.XPos, m.YPos);
        break;
    }
    case WM_MOUSEMOVE: {
        const auto& m = *static_cast<TWMMouse*>(message);
        MouseMove(ShiftOfKeys(m.Keys), m.XPos, m.YPos);
        break;
    }
    case WM_KEYDOWN: {
        auto& m = *static_cast<TWMKey*>(message);
        // Keys with no virtual-key code ('-', '=', '+' ...) arrive as 0: only a key that a
        // handler set to 0 is taken, or those keys would never reach WM_CHAR.
        const WORD key = m.CharCode;
        KeyDown(m.CharCode, TShiftState(static_cast<unsigned>(m.KeyData)));
        if (key != 0 && m.CharCode == 0) return;  // a handler took the key
        break;
    }
    case WM_CHAR: {
        auto& m = *static_cast<TWMKey*>(message);
        char key = static_cast<char>(m.CharCode);
        KeyPress(key);
        if (key == 0) return;
        m.CharCode = static_cast<unsigned char>(key);
        break;
    }
    case WM_SIZE: Resize(); break;
    default: break;
    }
    if (self) DefaultHandler();
}

void TWinControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && widget_->focusPolicy() != Qt::NoFocus) SetFocus();
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TWinControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TWinControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TWinControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::Resize() { AlignChildren(); }

void TWinControl::Loaded() { RecordAnchorOrigin(); }

void TWinControl::PopupAt(int x, int y)
{
    if (!popupMenu_ || !popupMenu_->AutoPopup) return;
    const TPoint screen = ClientToScreen(TPoint{x, y});
    popupMenu_->Popup(screen.X, screen.Y);
}

void TWinControl::RecordAnchorOrigin()
{
    anchorOrigin_ = bounds_;
    anchorParentWidth_ = parent_ ? parent_->ClientWidth() : 0;
    anchorParentHeight_ = parent_ ? parent_->ClientHeight() : 0;
}

void TWinControl::AlignChildren()
{
    for (TWinControl* child : children_) child->ApplyAnchors(ClientWidth(), ClientHeight());
}

namespace {

// One axis of anchoring: both edges stretch; one edge keeps its distance; neither keeps the
// centre at the same fraction of the parent. In 64 bits: the caller brings the result back
// within the bounds a control can have.
void AnchorAxis(bool nearEdge, bool farEdge, long long origin, long long size, long long parentBefore,
                long long parentNow, long long& pos, long long& len)
{
    len = size;
    pos = origin;
    if (nearEdge && farEdge) len = std::max(0LL, size + parentNow - parentBefore);
    else if (farEdge) pos = origin + parentNow - parentBefore;
    else if (!nearEdge && parentBefore > 0) pos = ((2 * origin + size) * parentNow / parentBefore - size) / 2;
}

} // namespace

void TWinControl::ApplyAnchors(int parentWidth, int parentHeight)
{
    long long left = 0, width = 0, top = 0, height = 0;
    AnchorAxis(anchors_ & akLeft, anchors_ & akRight, anchorOrigin_.Left, anchorOrigin_.Width(), anchorParentWidth_,
               parentWidth, left, width);
    AnchorAxis(anchors_ & akTop, anchors_ & akBottom, anchorOrigin_.Top, anchorOrigin_.Height(), anchorParentHeight_,
               parentHeight, top, height);
    aligning_ = true;
    SetBounds(ClampPosition(left), ClampPosition(top), ClampSize(width), ClampSize(height));
    aligning_ = false;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner, new TSurfaceWidget)
{
    static_cast<TSurfaceWidget*>(Widget())->Attach(this);
}

const TClassInfo& TCustomControl::StaticClassInfo()
{
    static const TClassInfo info("TCustomControl", &TWinControl::StaticClassInfo(), {});
    return info;
}

const TClassInfo& TCustomControl::ClassInfo() const { return StaticClassInfo(); }
