// The application object: it starts the window system, creates and owns the forms, runs
// the event loop until the main form closes, and shows the exceptions that reach it.
//
//   Application->Initialize();
//   Application->CreateForm(Form1);
//   Application->Run();
//
// While the loop runs, an exception that escapes an event handler is shown by ShowException
// and the loop goes on; one outside the Exception family is shown with an empty message.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Component.h"
#include "platform/Exception.h"

class QApplication;
class TForm;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // Starts the window system when no one has yet (a program's first call; tests already
    // run inside one) and installs the report of event exceptions.
    void Initialize();

    // Constructs a form of class T owned by the application and stores it in reference.
    // The first form so created becomes the main form and is shown.
    template <class T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        FormCreated(form);
    }

    // Processes events until the main form closes; returns at once without a main form or
    // after Terminate.
    void Run();
    // Ends the event loop; Run then returns.
    void Terminate();
    bool Terminated() const { return terminated_; }
    TForm* MainForm() const { return mainForm_; }

    // Shows the exception's message in an error box captioned with Title, and returns once
    // the user has closed it. OnShowMessage, when set, is called instead of the box.
    void ShowException(const Exception& error);
    std::function<void(const std::string& caption, const std::string& message)> OnShowMessage;

    // The program's executable file name without its extension, unless set.
    std::string Title() const;
    void SetTitle(std::string title) { title_ = std::move(title); }

private:
    friend class TForm;
    void FormCreated(TComponent* form);
    void FormClosed(TForm* form);
    void FormDestroyed(TForm* form);
    void ReportEventException(std::exception_ptr error) noexcept;
    // Destroys the forms and everything the application set up, the window system last.
    void Shutdown();
    void ShutdownAtExit();
    static void AtExit();
    static void BeforeWindowSystemEnds();

    std::unique_ptr<QApplication> windowSystem_;  // only when Initialize started it
    TForm* mainForm_ = nullptr;
    std::optional<std::string> title_;
    bool running_ = false;
    bool terminated_ = false;
};

// The program's application object. It lives as long as the program; its forms are
// destroyed when the program ends, before the window system's own clean-up.
extern TApplication* Application;
