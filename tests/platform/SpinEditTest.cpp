// The spin editor in a shown form: typed texts are kept as typed and read as numbers when
// they are numbers, the buttons and arrow keys step within the bounds, and OnChange follows
// every change of the text but none made while loading.
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>

#include "platform/Form.h"
#include "platform/SpinEdit.h"

namespace {

const char* const kHost = R"(object Host: TSpinHost
  ClientWidth = 200
  ClientHeight = 60
  object rpmEdit: TCSpinEdit
    Left = 8
    Top = 8
    Width = 59
    Height = 22
    Increment = 100
    MaxValue = 7000
    MinValue = 0
    Value = 3000
    OnChange = rpmEditChange
  end
end
)";

class TSpinHost : public TForm {
public:
    explicit TSpinHost(TComponent* owner)
        : TForm(owner, "TSpinHost", {{"rpmEditChange", Bind(this, &TSpinHost::rpmEditChange)}})
    {
        edit = Component<TCSpinEdit>("rpmEdit");
    }
    void rpmEditChange(TObject* sender)
    {
        EXPECT_EQ(sender, edit);
        texts.push_back(edit->Text());
    }

    TCSpinEdit* edit = nullptr;
    std::vector<std::string> texts;  // the text as each OnChange found it
};

class SpinEdit : public ::testing::Test {
protected:
    SpinEdit()
    {
        form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
        line()->setFocus();
    }
    QLineEdit* line() const { return static_cast<QLineEdit*>(form.edit->Widget()); }
    void Configure(int min, int max, int increment, const std::string& text)
    {
        form.edit->SetMinValue(min);
        form.edit->SetMaxValue(max);
        form.edit->SetIncrement(increment);
        form.edit->SetText(text);
        form.texts.clear();
    }

    // Registered before the form member reads it.
    bool registered_ = (RegisterFormResource("TSpinHost", kHost), true);
    TSpinHost form{nullptr};
};

TEST_F(SpinEdit, LoadsWithoutRaisingOnChange)
{
    EXPECT_TRUE(form.texts.empty());
    EXPECT_EQ(form.edit->Text(), "3000");
    EXPECT_EQ(form.edit->Value(), 3000);
}

TEST_F(SpinEdit, TypedTextIsKeptAndReadAsTheNumberItHolds)
{
    struct Row {
        const char* typed;
        int value;  // with MinValue 5 and MaxValue 7000
    };
    const std::string longDigits(64, '9');
    const Row rows[] = {
        {"3050", 3050},
        {"9000", 9000},  // outside the bounds, kept as typed
        {"-40", -40},
        {"", 5},
        {"abc", 5},
        {"12abc", 5},
        {"3.5", 5},
        {"1e3", 5},
        {"0x10", 5},
        {"-", 5},
        {"+", 5},
        {"--5", 5},
        {"+-5", 5},
        {"+7", 7},
        {" 42 ", 42},
        {"0042", 42},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", 5},
        {"-2147483649", 5},
        {longDigits.c_str(), 5},
    };
    for (const Row& row : rows) {
        Configure(5, 7000, 100, "");
        QTest::keyClicks(line(), row.typed);
        const std::string typed = row.typed;
        EXPECT_EQ(form.edit->Text(), typed) << "'" << typed << "'";
        EXPECT_EQ(form.edit->Value(), row.value) << "'" << typed << "'";
        // One OnChange per character, each finding the text as typed so far.
        ASSERT_EQ(form.texts.size(), typed.size()) << "'" << typed << "'";
        for (size_t i = 0; i < typed.size(); ++i) EXPECT_EQ(form.texts[i], typed.substr(0, i + 1)) << "'" << typed << "'";
    }
}

TEST_F(SpinEdit, HugeTextsReadAsNoNumber)
{
    Configure(-3, 3, 1, std::string(100000, '7'));
    EXPECT_EQ(form.edit->Value(), -3);
    Configure(-3, 3, 1, "-" + std::string(1000, '0') + "1");
    EXPECT_EQ(form.edit->Value(), -1);
    Configure(-3, 3, 1, std::string(1, '\0') + "1");
    EXPECT_EQ(form.edit->Value(), -3);
}

TEST_F(SpinEdit, ButtonsAndArrowKeysStepWithinTheBounds)
{
    enum class Via { UpButton, DownButton, UpKey, DownKey };
    struct Row {
        int min, max, increment;
        const char* before;
        Via via;
        const char* after;
    };
    const Row rows[] = {
        {0, 7000, 100, "3000", Via::UpButton, "3100"},
        {0, 7000, 100, "3000", Via::DownButton, "2900"},
        {0, 7000, 100, "3050", Via::UpKey, "3150"},
        {0, 7000, 100, "6950", Via::UpButton, "7000"},
        {0, 7000, 100, "7000", Via::UpButton, "7000"},
        {0, 7000, 100, "50", Via::DownKey, "0"},
        {0, 7000, 100, "0", Via::DownButton, "0"},
        {0, 7000, 100, "9000", Via::UpButton, "7000"},  // typed above the bounds
        {0, 7000, 100, "9000", Via::DownButton, "7000"},
        {0, 7000, 100, "-500", Via::UpButton, "0"},
        {0, 7000, 100, "abc", Via::UpButton, "100"},  // no number reads as MinValue
        {0, 7000, 100, "", Via::DownKey, "0"},
        {0, 512, 2, "104", Via::UpButton, "106"},
        {0, 512, 2, "511", Via::UpButton, "512"},
        {0, 0, 1, "2147483647", Via::UpButton, "2147483647"},  // no bounds: the type's own
        {0, 0, 1, "-2147483648", Via::DownButton, "-2147483648"},
        {0, 0, INT_MAX, "-5", Via::DownButton, "-2147483648"},
        {0, 0, -3, "10", Via::UpButton, "7"},
    };
    for (const Row& row : rows) {
        Configure(row.min, row.max, row.increment, row.before);
        switch (row.via) {
        case Via::UpButton: QTest::mouseClick(form.edit->UpButton(), Qt::LeftButton); break;
        case Via::DownButton: QTest::mouseClick(form.edit->DownButton(), Qt::LeftButton); break;
        case Via::UpKey: QTest::keyClick(line(), Qt::Key_Up); break;
        case Via::DownKey: QTest::keyClick(line(), Qt::Key_Down); break;
        }
        const std::string label = std::string(row.before) + " step " + std::to_string(static_cast<int>(row.via)) +
                                  " within " + std::to_string(row.min) + ".." + std::to_string(row.max);
        EXPECT_EQ(form.edit->Text(), row.after) << label;
        const bool changed = std::string(row.before) != row.after;
        EXPECT_EQ(form.texts, changed ? std::vector<std::string>{row.after} : std::vector<std::string>{}) << label;
    }
}

TEST_F(SpinEdit, ValueWrittenByTheProgramIsKeptWithinTheBounds)
{
    struct Row {
        int min, max, value;
        const char* text;
    };
    const Row rows[] = {{0, 7000, 3000, "3000"}, {0, 7000, 7001, "7000"}, {0, 7000, -1, "0"},
                        {0, 0, -99, "-99"},      {10, 5, 7, "10"},        {10, 5, 2, "10"}};
    for (const Row& row : rows) {
        Configure(row.min, row.max, 1, "x");
        form.edit->SetValue(row.value);
        EXPECT_EQ(form.edit->Text(), row.text) << row.value << " within " << row.min << ".." << row.max;
        EXPECT_EQ(form.texts.size(), 1u) << row.value;
    }
    Configure(0, 7000, 1, "3000");
    form.edit->SetValue(3000);
    EXPECT_TRUE(form.texts.empty()) << "the same text again is no change";
}

} // namespace
