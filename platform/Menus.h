// Pop-up menus and their items, over Qt's menus. An item's caption "-" is a separator; "&"
// marks the accelerator. Items added to an item are freed with it.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Component.h"
#include "platform/Events.h"
#include "platform/Types.h"

class QAction;
class QMenu;
class QObject;

using TShortCut = WORD;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; }
    int HelpContext = 0;
    TNotifyEvent OnClick;

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    TMenuItem* Parent() const { return parent_; }
    // Moves the item here from the item it was in. Raises Exception for the item itself, an
    // item above this one, or the items of a pop-up menu (TPopupMenu::Items).
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    // Removes every item and frees it.
    void Clear();
    // The first item whose caption, without its accelerator mark, equals the text ignoring case.
    TMenuItem* Find(std::string_view caption) const;
    // What a user's choice of the item does.
    virtual void Click();

    // The Qt action that shows this item; for the platform layer.
    QAction* Action() const { return action_.get(); }

private:
    // Deletes the item's action and menu, later when a user's choice of an item is being
    // delivered: the menu that shows them is still at work then.
    struct TQtDeleter {
        void operator()(QObject* object) const noexcept;
    };
    void SyncAction();

    std::string caption_;
    bool enabled_ = true;
    bool checked_ = false;
    TShortCut shortCut_ = 0;
    TMenuItem* parent_ = nullptr;
    bool ofPopupMenu_ = false;  // the list of items of a pop-up menu, which owns it
    std::vector<TMenuItem*> items_;
    std::unique_ptr<QAction, TQtDeleter> action_;
    std::unique_ptr<QMenu, TQtDeleter> submenu_;
    friend class TPopupMenu;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    TMenuItem* Items() const { return items_.get(); }
    TPopupAlignment Alignment = paLeft;
    bool AutoPopup = true;

    // Opens the menu at a screen point, its left edge, right edge or centre there.
    void Popup(int x, int y);
    // The Qt menu behind it; for the platform layer and tests.
    QMenu* Menu() const;

private:
    std::unique_ptr<TMenuItem> items_;
};

// The caption without its accelerator marks: "&File" reads "File", "&&" reads "&".
std::string StripHotkey(std::string_view caption);

TMenuItem* NewItem(const std::string& caption, TShortCut shortCut, bool checked, bool enabled, TNotifyEvent onClick,
                   int helpContext, const std::string& name);
TPopupMenu* NewPopupMenu(TComponent* owner, const std::string& name, TPopupAlignment alignment, bool autoPopup,
                         std::initializer_list<TMenuItem*> items);
