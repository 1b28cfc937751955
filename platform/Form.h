// Forms: top-level windows built from a form description. A derived form passes the name
// its description is registered under and its handler table to this constructor, which
// creates the described components (owned by the form, controls parented to it) with
// their settings and events while the form is loading, so that no event is raised:
//
//   TForm1::TForm1(TComponent* owner)
//       : TForm(owner, "TForm1", {{"rpmEditChange", Bind(this, &TForm1::rpmEditChange)},
//                                 {"cKeyPress", Bind(this, &TForm1::cKeyPress)}})
//   {
//       rpmEdit = Component<TCSpinEdit>("rpmEdit");
//       ...
//   }
//
// The handlers only hold the derived form's address during the base construction; none is
// called before the derived constructor's body runs.
#pragma once

#include <string>
#include <string_view>

#include "platform/Control.h"
#include "platform/FormReader.h"

class TForm : public TWinControl {
public:
    TForm(TComponent* owner, std::string_view formClassName, THandlerTable handlers);
    ~TForm() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    // The window title.
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

    // Forms start hidden; showing one opens its window.
    void SetVisible(bool visible) override;
    // Closes the window as the user's close button does: raises OnClose and hides the form;
    // closing the main form ends the application's event loop.
    void Close();

    // The component of that name that the description created, of class T; raises
    // Exception when there is none or it is of another class.
    template <class T>
    T* Component(const char* name) const
    {
        TComponent* found = FindComponent(name);
        T* typed = dynamic_cast<T*>(found);
        if (!typed) ThrowComponentError(name, found);
        return typed;
    }

    // After the form was closed, by the user or by Close.
    TNotifyEvent OnClose;

protected:
    void Loaded() override;

private:
    friend class TFormWidget;
    // A close the window system asks for: OnClose's exceptions are reported, not thrown.
    void WindowClosed();
    void DoClose();
    [[noreturn]] void ThrowComponentError(const char* name, const TComponent* found) const;

    std::string caption_;
    std::string className_;
};

// Makes the standard controls (TLabel, TCheckBox, TCSpinEdit, TStringGrid) creatable by a
// description; forms call it before reading theirs.
void RegisterStandardClasses();
