// The program's entry: an exception that escapes start-up is shown, and the exit code is 0.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/MainForm.h"
#include "app/Program.h"

namespace {

template <class Error>
class FailingForm : public TForm1 {
public:
    explicit FailingForm(TComponent* owner) : TForm1(owner) { throw Error("the form could not be built"); }
};

struct Shown {
    std::string caption;
    std::string message;
    int count = 0;
};

template <class Form>
Shown RunAndObserve()
{
    Shown shown;
    Application->OnShowMessage = [&](const std::string& caption, const std::string& message) {
        shown.caption = caption;
        shown.message = message;
        ++shown.count;
    };
    Form* form = nullptr;
    EXPECT_EQ(RunProgram(form), 0);
    Application->OnShowMessage = nullptr;
    return shown;
}

TEST(Entry, AnExceptionShowsItsMessageAndTheProgramEndsWithZero)
{
    const Shown shown = RunAndObserve<FailingForm<Exception>>();
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.message, "the form could not be built");
    EXPECT_EQ(shown.caption, Application->Title());
}

TEST(Entry, AnyOtherExceptionShowsAnEmptyMessage)
{
    const Shown shown = RunAndObserve<FailingForm<std::runtime_error>>();
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.message, "");
}

} // namespace
