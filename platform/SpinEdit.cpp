#include "platform/SpinEdit.h"

#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>

#include <charconv>
#include <limits>

#include "platform/EventGuard.h"
#include "platform/GdiPrivate.h"
#include "platform/Messages.h"
#include "platform/Properties.h"

namespace {

constexpr int kButtonWidth = 15;

// The text box with its two buttons stacked at its right edge, inside its frame.
class TSpinEditWidget : public QLineEdit {
public:
    TSpinEditWidget()
    {
        up_ = NewButton(Qt::UpArrow);
        down_ = NewButton(Qt::DownArrow);
        setTextMargins(0, 0, kButtonWidth, 0);
    }
    QToolButton* Up() const { return up_; }
    QToolButton* Down() const { return down_; }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLineEdit::resizeEvent(event);
        const int upper = height() / 2;
        up_->setGeometry(width() - kButtonWidth, 0, kButtonWidth, upper);
        down_->setGeometry(width() - kButtonWidth, upper, kButtonWidth, height() - upper);
    }

private:
    QToolButton* NewButton(Qt::ArrowType arrow)
    {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::ArrowCursor);
        return button;
    }

    QToolButton* up_;
    QToolButton* down_;
};

TSpinEditWidget* Edit(const TCSpinEdit& control) { return static_cast<TSpinEditWidget*>(control.Widget()); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::optional<int> ParseInteger(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    // from_chars takes a minus sign but no plus sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

TCSpinEdit::TCSpinEdit(TComponent* owner) : TWinControl(owner, new TSpinEditWidget)
{
    TSpinEditWidget* edit = Edit(*this);
    upButton_ = edit->Up();
    downButton_ = edit->Down();
    SetColor(clWindow);
    edit->setText(QStringLiteral("0"));
    QObject::connect(edit, &QLineEdit::textChanged, Receiver(), [this] {
        if (!updating_) TextEdited();
    });
    QObject::connect(edit->Up(), &QToolButton::clicked, Receiver(), [this] { RaiseFromEventLoop([this] { UpClick(); }); });
    QObject::connect(edit->Down(), &QToolButton::clicked, Receiver(),
                     [this] { RaiseFromEventLoop([this] { DownClick(); }); });
}

const TClassInfo& TCSpinEdit::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        // Value comes before the bounds: they are not yet in force when it is read back, so a
        // number outside them (one a user typed) reads back as it was written.
        TPublished<TCSpinEdit>(props)
            .Int("Value", &TCSpinEdit::Value, &TCSpinEdit::SetValue, 0)
            .Int("Increment", &TCSpinEdit::Increment, &TCSpinEdit::SetIncrement, 1)
            .Int("MaxValue", &TCSpinEdit::MaxValue, &TCSpinEdit::SetMaxValue, 0)
            .Int("MinValue", &TCSpinEdit::MinValue, &TCSpinEdit::SetMinValue, 0)
            .Event("OnChange", &TCSpinEdit::OnChange);
        return TClassInfo("TCSpinEdit", &TWinControl::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TCSpinEdit::ClassInfo() const { return StaticClassInfo(); }

int TCSpinEdit::Value() const { return ParseInteger(Text()).value_or(minValue_); }

void TCSpinEdit::SetValue(int value)
{
    // Compared one bound at a time, as the sample editor does: crossed bounds give a
    // defined result where std::clamp would not.
    if (maxValue_ != minValue_) {
        if (value < minValue_) value = minValue_;
        else if (value > maxValue_) value = maxValue_;
    }
    SetText(std::to_string(value));
}

std::string TCSpinEdit::Text() const { return Edit(*this)->text().toLatin1().toStdString(); }

void TCSpinEdit::SetText(std::string text)
{
    const QString qtext = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    TSpinEditWidget* edit = Edit(*this);
    if (edit->text() == qtext) return;
    updating_ = true;
    edit->setText(qtext);
    updating_ = false;
    if (!Loading()) Change();
}

void TCSpinEdit::UpClick() { Step(increment_); }

void TCSpinEdit::DownClick() { Step(-static_cast<long long>(increment_)); }

void TCSpinEdit::Step(long long by)
{
    // In 64 bits, so that a step past the 32-bit range saturates instead of overflowing.
    long long next = static_cast<long long>(Value()) + by;
    if (maxValue_ != minValue_) {
        if (next < minValue_) next = minValue_;
        else if (next > maxValue_) next = maxValue_;
    }
    if (next < std::numeric_limits<int>::min()) next = std::numeric_limits<int>::min();
    if (next > std::numeric_limits<int>::max()) next = std::numeric_limits<int>::max();
    SetValue(static_cast<int>(next));
}

void TCSpinEdit::TextEdited()
{
    if (Loading()) return;
    RaiseFromEventLoop([this] { Change(); });
}

void TCSpinEdit::Change()
{
    if (OnChange) OnChange(this);
}

void TCSpinEdit::KeyDown(WORD& key, TShiftState shift)
{
    // OnChange, raised by the step, may free the editor.
    const TObjectRef<TCSpinEdit> self(this);
    if (key == VK_UP) UpClick();
    else if (key == VK_DOWN) DownClick();
    if (self) TWinControl::KeyDown(key, shift);
}

void TCSpinEdit::ColorChanged()
{
    TWinControl::ColorChanged();
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Base, ToQColor(Color()));
    Widget()->setPalette(palette);
}

void TCSpinEdit::FontChanged()
{
    TWinControl::FontChanged();
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Text, ToQColor(Font()->Color()));
    Widget()->setPalette(palette);
}
