#include "platform/Form.h"

#include <QCloseEvent>
#include <QWidget>

#include "platform/Application.h"
#include "platform/EventGuard.h"
#include "platform/Exception.h"
#include "platform/Properties.h"
#include "platform/Registry.h"
#include "platform/SpinEdit.h"
#include "platform/StdCtrls.h"
#include "platform/StringGrid.h"

// The form's window: an ordinary resizable top-level window that tells its form when it is
// closed.
class TFormWidget : public QWidget {
public:
    TFormWidget() : QWidget(nullptr, Qt::Window) {}
    void Attach(TForm* form) { form_ = form; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->accept();
        if (form_) form_->WindowClosed();
    }

private:
    TForm* form_ = nullptr;
};

void RegisterStandardClasses()
{
    static const bool registered = [] {
        RegisterClass<TLabel>();
        RegisterClass<TCheckBox>();
        RegisterClass<TCSpinEdit>();
        RegisterClass<TStringGrid>();
        return true;
    }();
    (void)registered;
}

TForm::TForm(TComponent* owner, std::string_view formClassName, THandlerTable handlers)
    : TWinControl(owner, new TFormWidget), className_(formClassName)
{
    static_cast<TFormWidget*>(Widget())->Attach(this);
    Widget()->setAutoFillBackground(true);
    TWinControl::SetVisible(false);
    RegisterStandardClasses();
    const std::string* text = FindFormResource(formClassName);
    if (!text) throw Exception("Form description of " + className_ + " not found");
    BeginLoading();
    ReadFormDescription(*this, formClassName, *text, handlers);
    EndLoading();
}

TForm::~TForm()
{
    static_cast<TFormWidget*>(Widget())->Attach(nullptr);
    if (auto* application = dynamic_cast<TApplication*>(Owner())) application->FormDestroyed(this);
}

const TClassInfo& TForm::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TForm> published(props);
        published.String("Caption", &TForm::Caption, &TForm::SetCaption);
        // A form's Width and Height are its client size already (its frame belongs to the
        // window manager); the client names are read, and Width and Height are written.
        published.Int<int>("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight, std::nullopt);
        props.back().Stored = false;
        published.Int<int>("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth, std::nullopt);
        props.back().Stored = false;
        published.Event("OnClose", &TForm::OnClose);
        return TClassInfo("TForm", &TWinControl::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TForm::ClassInfo() const { return StaticClassInfo(); }

void TForm::SetCaption(std::string caption)
{
    caption_ = std::move(caption);
    Widget()->setWindowTitle(QString::fromLatin1(caption_.data(), static_cast<qsizetype>(caption_.size())));
}

void TForm::SetVisible(bool visible)
{
    TWinControl::SetVisible(visible);
    // A form described as visible opens once it is loaded.
    if (!visible || Loading()) return;
    if (Widget()->isVisible()) Widget()->raise();
    else Widget()->show();
}

void TForm::Loaded()
{
    TWinControl::Loaded();
    if (Visible()) SetVisible(true);
}

void TForm::Close() { DoClose(); }

void TForm::WindowClosed()
{
    RaiseFromEventLoop([this] { DoClose(); });
}

void TForm::DoClose()
{
    TWinControl::SetVisible(false);
    // The application learns of it first: a throwing OnClose must not leave a program
    // running with no window.
    if (auto* application = dynamic_cast<TApplication*>(Owner())) application->FormClosed(this);
    if (OnClose) OnClose(this);
}

void TForm::ThrowComponentError(const char* name, const TComponent* found) const
{
    if (!found) throw Exception("Component " + std::string(name) + " not found in " + Name());
    throw Exception("Component " + std::string(name) + " of " + Name() + " is a " + found->ClassName() +
                    ", not of the class the form expects");
}
