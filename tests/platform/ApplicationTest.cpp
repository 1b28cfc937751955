// The application object: forms it creates and owns, the loop that ends with the main
// form, the exception display, and exceptions of event handlers reported while the loop
// goes on. The last tests start a program with the usual entry and watch it end.
#include <QCheckBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/SpinEdit.h"
#include "platform/StdCtrls.h"

namespace {

const char* const kAppForm = R"(object AppForm: TAppForm
  ClientWidth = 200
  ClientHeight = 80
  object box: TCheckBox
    Left = 8
    Top = 8
    Width = 97
    Height = 17
    OnClick = boxClick
  end
  object edit: TCSpinEdit
    Left = 8
    Top = 40
    Width = 59
    Height = 22
    OnChange = editChange
  end
end
)";

int liveForms = 0;

class TAppForm : public TForm {
public:
    explicit TAppForm(TComponent* owner)
        : TForm(owner, "TAppForm",
                {{"boxClick", Bind(this, &TAppForm::boxClick)}, {"editChange", Bind(this, &TAppForm::editChange)}})
    {
        box = Component<TCheckBox>("box");
        edit = Component<TCSpinEdit>("edit");
        ++liveForms;
    }
    ~TAppForm() override { --liveForms; }
    void boxClick(TObject*) { throw Exception("The box refuses"); }
    void editChange(TObject*) { throw std::runtime_error("not one of ours"); }

    TCheckBox* box = nullptr;
    TCSpinEdit* edit = nullptr;
};

// Its description binds handlers that this form does not offer, so its construction fails.
class TFailingForm : public TForm {
public:
    explicit TFailingForm(TComponent* owner) : TForm(owner, "TAppForm", {}) {}
};

struct Shown {
    std::string caption, message;
    friend bool operator==(const Shown&, const Shown&) = default;
};

class Applications : public ::testing::Test {
protected:
    Applications()
    {
        RegisterFormResource("TAppForm", kAppForm);
        app.Initialize();
        app.OnShowMessage = [this](const std::string& caption, const std::string& message) {
            shown.push_back({caption, message});
        };
    }

    TApplication app{nullptr};
    std::vector<Shown> shown;
};

TEST_F(Applications, ShowsExceptionsCaptionedWithTheTitle)
{
    EXPECT_EQ(app.Title(), "platform_tests") << "the executable's name";
    app.ShowException(Exception("Something failed"));
    app.SetTitle("Map editor");
    app.ShowException(Exception(""));
    EXPECT_EQ(shown, (std::vector<Shown>{{"platform_tests", "Something failed"}, {"Map editor", ""}}));
}

TEST_F(Applications, FirstCreatedFormIsTheShownMainFormAndAllAreOwned)
{
    {
        TApplication local(nullptr);
        local.Initialize();
        TAppForm* first = nullptr;
        TAppForm* second = nullptr;
        local.CreateForm(first);
        local.CreateForm(second);
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(local.MainForm(), first);
        EXPECT_EQ(first->Owner(), &local);
        EXPECT_EQ(second->Owner(), &local);
        EXPECT_TRUE(first->Visible());
        EXPECT_TRUE(first->Widget()->isVisible());
        EXPECT_FALSE(second->Visible());
        EXPECT_EQ(liveForms, 2);
    }
    EXPECT_EQ(liveForms, 0) << "the application destroys its forms";
}

TEST_F(Applications, FailedFormCreationLeavesNoMainForm)
{
    TFailingForm* form = nullptr;
    EXPECT_THROW(app.CreateForm(form), Exception);
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(app.MainForm(), nullptr);
    EXPECT_EQ(app.ComponentCount(), 0);
}

TEST_F(Applications, RunEndsWhenTheMainFormCloses)
{
    for (bool byWindowSystem : {false, true}) {
        TApplication local(nullptr);
        local.Initialize();
        TAppForm* main = nullptr;
        TAppForm* other = nullptr;
        local.CreateForm(main);
        local.CreateForm(other);
        other->Show();
        QTimer::singleShot(0, [&] { other->Close(); });  // not the main form: the loop goes on
        QTimer::singleShot(20, [&] {
            EXPECT_FALSE(local.Terminated());
            if (byWindowSystem) main->Widget()->close();
            else main->Close();
        });
        local.Run();
        EXPECT_TRUE(local.Terminated());
        EXPECT_FALSE(main->Visible());
    }
}

TEST_F(Applications, RunReturnsAtOnceWithoutAMainFormOrAfterTerminate)
{
    app.Run();
    TAppForm* form = nullptr;
    app.CreateForm(form);
    app.Terminate();
    app.Run();
    EXPECT_TRUE(app.Terminated());
}

TEST_F(Applications, DestroyedMainFormEndsTheLoopAndIsForgotten)
{
    TAppForm* form = nullptr;
    app.CreateForm(form);
    QTimer::singleShot(0, [&] { delete form; });
    app.Run();
    EXPECT_EQ(app.MainForm(), nullptr);
    EXPECT_EQ(app.ComponentCount(), 0);
}

TEST_F(Applications, EventHandlerExceptionsAreShownAndTheLoopGoesOn)
{
    TAppForm* form = nullptr;
    app.CreateForm(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
    std::vector<std::string> steps;
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(form->box->Widget(), Qt::LeftButton, {}, QPoint(8, 8));
        steps.push_back("clicked");
        QTest::mouseClick(form->edit->UpButton(), Qt::LeftButton);
        steps.push_back("stepped");
        QTest::keyClicks(form->edit->Widget(), "7");
        steps.push_back("typed");
        QTimer::singleShot(0, [&] {
            steps.push_back("closing");
            form->Close();
        });
    });
    app.Run();
    EXPECT_EQ(steps, (std::vector<std::string>{"clicked", "stepped", "typed", "closing"}));
    EXPECT_EQ(shown, (std::vector<Shown>{{"platform_tests", "The box refuses"}, {"platform_tests", ""},
                                         {"platform_tests", ""}}));
    // The changes themselves stand; only their handlers failed.
    EXPECT_TRUE(form->box->Checked());
    EXPECT_EQ(form->edit->Text(), "17");
}

TEST_F(Applications, AFailingDisplayDoesNotStopTheLoop)
{
    TAppForm* form = nullptr;
    app.CreateForm(form);
    app.OnShowMessage = [](const std::string&, const std::string&) { throw std::runtime_error("no display"); };
    QTimer::singleShot(0, [&] {
        static_cast<QCheckBox*>(form->box->Widget())->click();
        form->Close();
    });
    app.Run();
    EXPECT_TRUE(app.Terminated());
}

struct ProbeRun {
    int exitCode = -1;
    bool crashed = true;
    std::string output;
};

ProbeRun RunProbe(const char* mode)
{
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(APP_PROBE), {QString::fromLatin1(mode)});
    ProbeRun run;
    if (!probe.waitForFinished(120000)) return run;
    run.crashed = probe.exitStatus() != QProcess::NormalExit;
    run.exitCode = probe.exitCode();
    run.output = probe.readAllStandardOutput().toStdString();
    return run;
}

TEST(ApplicationEntry, EndsWithExitCodeZeroAndDestroysItsFormsInEveryCase)
{
    struct Row {
        const char* mode;
        const char* output;
    };
    const Row rows[] = {
        {"close", "run returned\nform destroyed\n"},
        {"user-close", "run returned\nform destroyed\n"},
        {"event-error", "shown [platform_app_probe] [click failed]\nloop went on\nrun returned\nform destroyed\n"},
        {"throw", "shown [platform_app_probe] []\n"},
        {"raise", "shown [platform_app_probe] [bad start]\n"},
    };
    for (const Row& row : rows) {
        const ProbeRun run = RunProbe(row.mode);
        EXPECT_FALSE(run.crashed) << row.mode;
        EXPECT_EQ(run.exitCode, 0) << row.mode;
        EXPECT_EQ(run.output, row.output) << row.mode;
    }
}

} // namespace
