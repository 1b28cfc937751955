// A program with the usual entry: initialise, create the main form, run, show what escapes,
// return 0. The application tests start it in several modes and read what it prints.
//   close       the form closes itself once the loop runs
//   user-close  the window system closes the window
//   event-error a click handler throws while the loop runs; the form closes afterwards
//   throw       the form's constructor throws something outside the Exception family
//   raise       the form's constructor raises an Exception
#include <QCheckBox>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/StdCtrls.h"

namespace {

std::string mode;

void Say(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

class TProbeForm : public TForm {
public:
    explicit TProbeForm(TComponent* owner) : TForm(owner, "TProbeForm", {})
    {
        if (mode == "throw") throw std::runtime_error("not an Exception");
        if (mode == "raise") throw Exception("bad start");
        box = Component<TCheckBox>("box");
        box->OnClick = [](TObject*) { throw Exception("click failed"); };
        QTimer::singleShot(0, [this] {
            if (mode == "close") Close();
            if (mode == "user-close") Widget()->close();
            if (mode == "event-error") {
                static_cast<QCheckBox*>(box->Widget())->click();
                QTimer::singleShot(0, [this] {
                    Say(box->Checked() ? "loop went on" : "box unchanged");
                    Close();
                });
            }
        });
    }
    ~TProbeForm() override { Say("form destroyed"); }

    TCheckBox* box = nullptr;
};

TProbeForm* ProbeForm = nullptr;

} // namespace

int main(int argc, char** argv)
{
    mode = argc > 1 ? argv[1] : "close";
    Application->OnShowMessage = [](const std::string& caption, const std::string& message) {
        Say("shown [" + caption + "] [" + message + "]");
    };
    try {
        Application->Initialize();
        Application->CreateForm(ProbeForm);
        Application->Run();
        Say("run returned");
    } catch (Exception& exception) {
        Application->ShowException(exception);
    } catch (...) {
        try {
            throw Exception("");
        } catch (Exception& exception) {
            Application->ShowException(exception);
        }
    }
    return 0;
}
