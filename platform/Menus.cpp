#include "platform/Menus.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

#include "platform/EventGuard.h"
#include "platform/Exception.h"
#include "platform/Properties.h"

void TMenuItem::TQtDeleter::operator()(QObject* object) const noexcept { DeleteQtObject(object); }

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), action_(new QAction)
{
    QObject::connect(action_.get(), &QAction::triggered, [this] { RaiseFromEventLoop([this] { Click(); }); });
}

TMenuItem::~TMenuItem()
{
    Clear();
    if (parent_) parent_->Remove(this);
    // Chosen by a user, the action and its menu may outlive the item for a moment.
    QObject::disconnect(action_.get(), &QAction::triggered, nullptr, nullptr);
}

const TClassInfo& TMenuItem::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TMenuItem>(props)
            .String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
            .Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
            .Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
            .Int("HelpContext", &TMenuItem::HelpContext, 0)
            .Int("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, 0)
            .Event("OnClick", &TMenuItem::OnClick);
        return TClassInfo("TMenuItem", &TComponent::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TMenuItem::ClassInfo() const { return StaticClassInfo(); }

void TMenuItem::SetCaption(std::string caption)
{
    caption_ = std::move(caption);
    SyncAction();
}

void TMenuItem::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    SyncAction();
}

void TMenuItem::SetChecked(bool checked)
{
    checked_ = checked;
    SyncAction();
}

void TMenuItem::SyncAction()
{
    action_->setSeparator(caption_ == "-");
    action_->setText(QString::fromLatin1(caption_.data(), static_cast<qsizetype>(caption_.size())));
    action_->setEnabled(enabled_);
    action_->setCheckable(checked_);
    action_->setChecked(checked_);
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count()) throw Exception("Menu index out of bounds");
    return items_[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item)
{
    if (!item || item->parent_ == this) return;
    // An item inside its own subtree would make a loop that nothing could walk or free.
    for (const TMenuItem* above = this; above; above = above->parent_)
        if (above == item) throw Exception("A menu item cannot be added to itself or to one of its own items");
    if (item->ofPopupMenu_) throw Exception("The items of a pop-up menu belong to that menu");
    if (item->parent_) item->parent_->Remove(item);
    item->parent_ = this;
    items_.push_back(item);
    if (!submenu_) submenu_.reset(new QMenu);
    submenu_->addAction(item->action_.get());
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
    if (submenu_) submenu_->removeAction(item->action_.get());
}

void TMenuItem::Clear()
{
    while (!items_.empty()) delete items_.back();  // each item leaves this list as it goes
}

TMenuItem* TMenuItem::Find(std::string_view caption) const
{
    const std::string wanted = StripHotkey(caption);
    for (TMenuItem* item : items_)
        if (SameText(StripHotkey(item->caption_), wanted)) return item;
    return nullptr;
}

void TMenuItem::Click()
{
    if (enabled_ && OnClick) OnClick(this);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr))
{
    items_->submenu_.reset(new QMenu);
    items_->ofPopupMenu_ = true;
}

TPopupMenu::~TPopupMenu() = default;

const TClassInfo& TPopupMenu::StaticClassInfo()
{
    static const TClassInfo info("TPopupMenu", &TComponent::StaticClassInfo(), {});
    return info;
}

const TClassInfo& TPopupMenu::ClassInfo() const { return StaticClassInfo(); }

QMenu* TPopupMenu::Menu() const { return items_->submenu_.get(); }

void TPopupMenu::Popup(int x, int y)
{
    QMenu* menu = Menu();
    const int width = menu->sizeHint().width();
    if (Alignment == paRight) x -= width;
    else if (Alignment == paCenter) x -= width / 2;
    menu->popup(QPoint(x, y));
}

std::string StripHotkey(std::string_view caption)
{
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&';
            else continue;
            ++i;
            continue;
        }
        out += caption[i];
    }
    return out;
}

TMenuItem* NewItem(const std::string& caption, TShortCut shortCut, bool checked, bool enabled, TNotifyEvent onClick,
                   int helpContext, const std::string& name)
{
    auto* item = new TMenuItem(nullptr);
    item->SetName(name);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    item->SetChecked(checked);
    item->SetEnabled(enabled);
    item->OnClick = std::move(onClick);
    item->HelpContext = helpContext;
    return item;
}

TPopupMenu* NewPopupMenu(TComponent* owner, const std::string& name, TPopupAlignment alignment, bool autoPopup,
                         std::initializer_list<TMenuItem*> items)
{
    auto* menu = new TPopupMenu(owner);
    menu->SetName(name);
    menu->Alignment = alignment;
    menu->AutoPopup = autoPopup;
    for (TMenuItem* item : items) menu->Items()->Add(item);
    return menu;
}
