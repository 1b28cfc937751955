#include "platform/StdCtrls.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>

#include "platform/EventGuard.h"
#include "platform/GdiPrivate.h"
#include "platform/Properties.h"

namespace {

QString FromText(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A label paints its background from the palette, so that its Color really shows.
QLabel* NewLabelWidget()
{
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

TLabel::TLabel(TComponent* owner) : TWinControl(owner, NewLabelWidget())
{
    Widget()->setAutoFillBackground(true);
    Widget()->setFocusPolicy(Qt::NoFocus);
    SetParentColor(true);
    ApplyAlignment();
}

const TClassInfo& TLabel::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TLabel>(props)
            .Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment,
                  {"taLeftJustify", "taRightJustify", "taCenter"}, taLeftJustify)
            .Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
            .String("Caption", &TLabel::Caption, &TLabel::SetCaption)
            .Enum("Layout", &TLabel::Layout, &TLabel::SetLayout, {"tlTop", "tlCenter", "tlBottom"}, tlTop);
        return TClassInfo("TLabel", &TWinControl::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TLabel::ClassInfo() const { return StaticClassInfo(); }

void TLabel::SetCaption(std::string caption)
{
    caption_ = std::move(caption);
    static_cast<QLabel*>(Widget())->setText(FromText(caption_));
    AdjustSize();
}

void TLabel::SetAutoSize(bool on)
{
    autoSize_ = on;
    AdjustSize();
}

void TLabel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    ApplyAlignment();
}

void TLabel::SetLayout(TTextLayout layout)
{
    layout_ = layout;
    ApplyAlignment();
}

void TLabel::ApplyAlignment()
{
    Qt::Alignment align = alignment_ == taRightJustify ? Qt::AlignRight
                          : alignment_ == taCenter     ? Qt::AlignHCenter
                                                       : Qt::AlignLeft;
    align |= layout_ == tlBottom ? Qt::AlignBottom : layout_ == tlCenter ? Qt::AlignVCenter : Qt::AlignTop;
    static_cast<QLabel*>(Widget())->setAlignment(align);
}

void TLabel::FontChanged()
{
    TWinControl::FontChanged();
    AdjustSize();
}

void TLabel::Loaded()
{
    TWinControl::Loaded();
    AdjustSize();
}

void TLabel::AdjustSize()
{
    // Sizes settle once the whole description is read: a later AutoSize = False keeps them.
    if (!autoSize_ || Loading()) return;
    const QFontMetrics metrics(ToQFont(*Font()));
    SetBounds(Left(), Top(), metrics.horizontalAdvance(FromText(caption_)), metrics.height());
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, new QCheckBox)
{
    auto* box = static_cast<QCheckBox*>(Widget());
    box->setAutoFillBackground(true);
    SetParentColor(true);
    QObject::connect(box, &QCheckBox::toggled, Receiver(), [this](bool) {
        if (updating_ || Loading()) return;
        RaiseFromEventLoop([this] { Click(); });
    });
}

const TClassInfo& TCheckBox::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TCheckBox>(props)
            .String("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption)
            .Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false);
        return TClassInfo("TCheckBox", &TWinControl::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TCheckBox::ClassInfo() const { return StaticClassInfo(); }

void TCheckBox::SetCaption(std::string caption)
{
    caption_ = std::move(caption);
    static_cast<QCheckBox*>(Widget())->setText(FromText(caption_));
}

bool TCheckBox::Checked() const { return static_cast<QCheckBox*>(Widget())->isChecked(); }

void TCheckBox::SetChecked(bool checked)
{
    if (checked == Checked()) return;
    updating_ = true;
    static_cast<QCheckBox*>(Widget())->setChecked(checked);
    updating_ = false;
    if (!Loading()) Click();
}

void TCheckBox::Click()
{
    if (OnClick) OnClick(this);
}
