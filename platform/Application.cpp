#include "platform/Application.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/Form.h"

TApplication* Application = new TApplication(nullptr);

namespace {

// Applications whose forms must go before the window system does.
std::vector<TApplication*>& Initialized()
{
    static std::vector<TApplication*> applications;
    return applications;
}

TApplication* eventReporter = nullptr;  // the application whose report is installed
TApplication* windowSystemOwner = nullptr;

std::string ExecutablePath()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath().toStdString();
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

QString FromText(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() { Shutdown(); }

void TApplication::Initialize()
{
    if (!QCoreApplication::instance()) {
        // Qt keeps the argument count and vector for the application's life.
        static std::string program = ExecutablePath();
        static int argc = 1;
        static char* argv[] = {program.data(), nullptr};
        windowSystem_ = std::make_unique<QApplication>(argc, argv);
        windowSystemOwner = this;
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw Exception("Forms need a widget application, and another kind is running");
    }
    // The loop ends with the main form, not with whichever window happens to close last.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    SetEventExceptionHandler([this](std::exception_ptr error) { ReportEventException(error); });
    eventReporter = this;
    auto& initialized = Initialized();
    if (std::find(initialized.begin(), initialized.end(), this) == initialized.end()) initialized.push_back(this);
    static QPointer<QCoreApplication> watched;
    if (watched != QCoreApplication::instance()) {
        watched = QCoreApplication::instance();
        qAddPostRoutine(&TApplication::BeforeWindowSystemEnds);
    }
    ShutdownAtExit();
}

void TApplication::FormCreated(TComponent* form)
{
    if (mainForm_) return;
    if (auto* main = dynamic_cast<TForm*>(form)) {
        mainForm_ = main;
        main->Show();
    }
}

void TApplication::Run()
{
    if (!QCoreApplication::instance()) throw Exception("The application is not initialised");
    if (!mainForm_ || terminated_) return;
    if (!mainForm_->Visible()) mainForm_->Show();
    running_ = true;
    QApplication::exec();
    running_ = false;
    ShutdownAtExit();
}

void TApplication::Terminate()
{
    terminated_ = true;
    if (running_) QCoreApplication::exit(0);
}

void TApplication::FormClosed(TForm* form)
{
    if (form == mainForm_) Terminate();
}

void TApplication::FormDestroyed(TForm* form)
{
    if (form != mainForm_) return;
    mainForm_ = nullptr;
    Terminate();
}

std::string TApplication::Title() const
{
    if (title_) return *title_;
    // The file name without its last extension, as the class library names a program.
    return QFileInfo(QString::fromStdString(ExecutablePath())).completeBaseName().toLatin1().toStdString();
}

void TApplication::ShowException(const Exception& error)
{
    const std::string caption = Title();
    if (OnShowMessage) {
        OnShowMessage(caption, error.Message());
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QMessageBox box(QMessageBox::Critical, FromText(caption), FromText(error.Message()), QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), error.Message().c_str());
    }
    // Shown by the program's entry: the program ends next, and the box has made its own
    // statics, which must outlive the teardown.
    if (!running_) ShutdownAtExit();
}

void TApplication::ReportEventException(std::exception_ptr error) noexcept
{
    try {
        try {
            std::rethrow_exception(error);
        } catch (const Exception& e) {
            ShowException(e);
        } catch (...) {
            ShowException(Exception(""));
        }
    } catch (...) {
        std::fputs("An exception was raised while an error was being shown\n", stderr);
    }
}

void TApplication::Shutdown()
{
    DestroyComponents();
    mainForm_ = nullptr;
    if (eventReporter == this) {
        SetEventExceptionHandler({});
        eventReporter = nullptr;
    }
    auto& initialized = Initialized();
    initialized.erase(std::remove(initialized.begin(), initialized.end(), this), initialized.end());
    if (windowSystemOwner == this) windowSystemOwner = nullptr;
    windowSystem_.reset();
}

// Exit handlers run in the reverse order of their registration, statics' destructors among
// them. Registering again after every stage of the program puts the teardown before the
// destruction of every static made so far, Qt's included: the forms and the window system
// then go as if the entry had destroyed them just before it returned.
void TApplication::ShutdownAtExit()
{
    if (windowSystemOwner == this) std::atexit(&TApplication::AtExit);
}

void TApplication::AtExit()
{
    if (windowSystemOwner) windowSystemOwner->Shutdown();
}

// A window system started by someone else (a test program) ends when its owner destroys
// it; the forms go first, while their widgets can still be destroyed.
void TApplication::BeforeWindowSystemEnds()
{
    for (TApplication* application : std::vector<TApplication*>(Initialized())) {
        application->DestroyComponents();
        application->mainForm_ = nullptr;
        if (eventReporter == application) {
            SetEventExceptionHandler({});
            eventReporter = nullptr;
        }
    }
}
