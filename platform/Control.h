// Windowed controls. Each control holds its Qt widget, as a class-library control holds its
// window handle; the widget's events arrive as message records through the control's
// virtual Dispatch(void*). The base Dispatch raises the control's events and then lets the
// widget do its own handling; an override that does not pass a message on stops it there.
//
// A handler raised by the window system's events (mouse, keys, paint, a click, a menu item,
// closing a form) may delete its own control: the layer touches it no more, and Qt gets to
// delete the widget once the event is over. Code of the control's own that calls a handler
// in the middle of its work (a repaint inside a command) cannot know; a handler that may run
// there releases its control with Release instead.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Component.h"
#include "platform/DrawingContext.h"
#include "platform/Events.h"
#include "platform/Font.h"
#include "platform/Types.h"

class QObject;
class QWidget;
class QImage;
class TPopupMenu;
class TWindow;

class TWinControl : public TComponent {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    // Moves and sizes the control; a change of size reaches it as WM_SIZE at once. Positions
    // are kept within +-(2^30 - 1) and sizes within 0 .. 2^24 - 1 (Qt's limit for a widget),
    // so that an edge is always a position plus a size.
    void SetBounds(int left, int top, int width, int height);
    virtual int ClientWidth() const { return Width(); }
    virtual int ClientHeight() const { return Height(); }
    void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
    virtual void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);

    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);
    TColor Color() const { return color_; }
    // Setting a colour of its own ends taking the parent's.
    void SetColor(TColor color);
    TFont* Font() const { return font_.get(); }
    // While true the control takes its parent's font, and follows it when it changes;
    // changing the control's own font turns it off.
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool on);
    // The same for the colour.
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool on);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    bool Focused() const;
    void SetFocus();

    // The menu a right click opens. The control does not own it, and forgets it when it is freed.
    TPopupMenu* PopupMenu() const { return popupMenu_.Get(); }
    void SetPopupMenu(TPopupMenu* menu);

    // Frees the control once the event being handled is over and control is back in the event
    // loop, as the class library's Release frees a form: a handler may go on using the control
    // until it returns. Freed earlier by its owner, the control is not freed twice. Outside a
    // running event loop it is freed when one next runs.
    void Release();

    // The window this control draws on.
    HWND Handle() const;
    // Marks the whole control, or a part of it, for painting; the painting happens at the
    // next Update or when the window system asks.
    void Invalidate();
    void InvalidateRect(const TRect& rect);
    // Paints what is marked, now; asked while the control paints, it leaves that to the next
    // paint. A paint that a handler ends by throwing leaves the surface ready for the next one,
    // and the parts it did not reach as they were.
    void Update();
    // Repaints the whole control now.
    void Repaint();
    // The control's surface with everything marked painted; what the screen shows. It covers
    // at most 8192 x 8192 pixels from the control's top-left corner.
    const QImage& Surface();

    TPoint ClientToScreen(TPoint point) const;

    virtual void Dispatch(void* message);

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnClick;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyDown;

    // The Qt widget behind the control; for Qt code only (this layer, and a Qt widget that
    // hosts the control, which may reparent and size it).
    QWidget* Widget() const { return widget_; }

protected:
    // Takes ownership of the widget that stands for this control.
    TWinControl(TComponent* owner, QWidget* widget);

    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void DblClick();
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // After a change of size: lays out the children by their anchors.
    virtual void Resize();
    // Paints the part of the surface that needs it; by default the background colour.
    virtual void Paint(const TRect& dirty);
    virtual void ColorChanged();
    virtual void FontChanged();
    void Loaded() override;

    // Called by the base Dispatch: lets the widget go on with its own handling of the event.
    void DefaultHandler() { passToWidget_ = true; }
    // The Qt object that stands for the control in its widget's signal connections: they end
    // with the control, even when its widget outlives it for a moment.
    QObject* Receiver() const { return receiver_.get(); }

private:
    friend class TMessageBridge;
    void Init();
    void RecordAnchorOrigin();
    void AlignChildren();
    void ApplyAnchors(int parentWidth, int parentHeight);
    // True when the widget's own handling should go on; false also when a handler freed the control.
    bool DeliverMessage(void* message);
    // Update's work; false when a handler freed the control meanwhile.
    bool PaintMarked();
    void PopupAt(int x, int y);
    void FontModified();
    void InheritFont();
    void InheritColor();

    QWidget* widget_ = nullptr;
    std::unique_ptr<QObject> receiver_;
    std::unique_ptr<TWindow> window_;
    TWinControl* parent_ = nullptr;
    TRect bounds_;
    TAnchors anchors_ = akLeft | akTop;
    TRect anchorOrigin_;        // own bounds when the anchors were last recorded
    int anchorParentWidth_ = 0; // parent's client size then
    int anchorParentHeight_ = 0;
    bool aligning_ = false;
    TColor color_ = clBtnFace;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool parentColor_ = false;
    bool inheriting_ = false;  // a change that comes from the parent keeps the Parent flags
    bool visible_ = true;
    int tabOrder_ = -1;
    TObjectRef<TPopupMenu> popupMenu_;
    bool passToWidget_ = false;
    bool painting_ = false;
    std::vector<TWinControl*> children_;
    TRect dirty_;
};

using TControl = TWinControl;

// A control that paints itself on its surface (Paint), shown as it is.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();
};
