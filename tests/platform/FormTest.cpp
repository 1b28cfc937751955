// Forms as windows: their settings, showing and closing, anchored children following a
// resize by the program or by the window system, and fonts and colours taken from the form.
#include <QScrollBar>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <cmath>

#include "platform/Form.h"
#include "platform/GdiPrivate.h"
#include "platform/SpinEdit.h"
#include "platform/StdCtrls.h"
#include "platform/StringGrid.h"

namespace {

// The test form's layout, as the test application lays its window out.
const char* const kLayout = R"(object LayoutForm: TLayoutForm
  Left = 0
  Top = 0
  Caption = 'MAPGrid Component Test'
  ClientWidth = 419
  ClientHeight = 234
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  object lblCell: TLabel
    Left = 160
    Top = 204
    Width = 73
    Height = 16
    Anchors = [akBottom]
    AutoSize = False
    Caption = 'Cell:'
    Color = clBlack
    Font.Color = clLime
    Font.Height = -11
    Font.Name = 'Tahoma'
    ParentFont = False
  end
  object lblProx: TLabel
    Left = 239
    Top = 204
    Width = 66
    Height = 16
    Anchors = [akBottom]
    AutoSize = False
    Caption = 'Prox:'
    Color = clBlack
    Font.Color = clLime
    Font.Height = -11
    Font.Name = 'Tahoma'
    ParentFont = False
  end
  object c: TStringGrid
    Left = 8
    Top = 8
    Width = 403
    Height = 187
    Anchors = [akLeft, akTop, akRight, akBottom]
    Font.Height = -13
  end
  object rpmEdit: TCSpinEdit
    Left = 79
    Top = 201
    Width = 59
    Height = 22
    Anchors = [akBottom]
    MaxValue = 7000
    Value = 3000
  end
  object kpaEdit: TCSpinEdit
    Left = 8
    Top = 201
    Width = 59
    Height = 22
    Anchors = [akBottom]
    MaxValue = 512
    Value = 104
  end
  object CheckBox1: TCheckBox
    Left = 320
    Top = 208
    Width = 97
    Height = 17
    Anchors = [akBottom]
    Caption = 'Trace Map'
  end
end
)";

class Forms : public ::testing::Test {
protected:
    Forms() { RegisterFormResource("TLayoutForm", kLayout); }

    void ShowAndWait(TForm& form)
    {
        form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    }
};

TRect BoundsOf(const TWinControl& c) { return TRect{c.Left(), c.Top(), c.Left() + c.Width(), c.Top() + c.Height()}; }

TEST_F(Forms, StartHiddenAndTakeTheirWindowSettings)
{
    TForm form(nullptr, "TLayoutForm", {});
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Widget()->isVisible());
    ShowAndWait(form);

    QWidget* window = form.Widget();
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowTitle(), "MAPGrid Component Test");
    EXPECT_EQ(window->size(), QSize(419, 234));
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_NE(window->minimumSize(), window->maximumSize()) << "the window should be resizable";
    EXPECT_TRUE(window->findChildren<QScrollBar*>().isEmpty());
    EXPECT_EQ(window->font().pixelSize(), 11);
    // The form's background is the button face wherever no control covers it.
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(150, 225)), ToQColor(clBtnFace));
    EXPECT_EQ(QColor(shot.pixel(2, 2)), ToQColor(clBtnFace));
}

TEST_F(Forms, ClosingIsSeenWhetherTheProgramOrTheWindowSystemCloses)
{
    for (bool byProgram : {true, false}) {
        TForm form(nullptr, "TLayoutForm", {});
        int closes = 0;
        form.OnClose = [&](TObject* sender) {
            EXPECT_EQ(sender, &form);
            ++closes;
        };
        ShowAndWait(form);
        if (byProgram) form.Close();
        else form.Widget()->close();
        EXPECT_EQ(closes, 1) << (byProgram ? "Close()" : "window closed");
        EXPECT_FALSE(form.Visible());
        EXPECT_FALSE(form.Widget()->isVisible());
    }
}

TEST_F(Forms, AnchoredControlsFollowEveryResize)
{
    TForm form(nullptr, "TLayoutForm", {});
    ShowAndWait(form);
    std::vector<std::pair<TWinControl*, TRect>> bottom;
    for (const char* name : {"lblCell", "lblProx", "rpmEdit", "kpaEdit", "CheckBox1"}) {
        auto* control = form.Component<TWinControl>(name);
        bottom.emplace_back(control, BoundsOf(*control));
    }
    auto* grid = form.Component<TStringGrid>("c");

    struct Row {
        int width, height;
        bool byWindowSystem;
    };
    const Row rows[] = {{600, 300, true}, {419, 234, true}, {300, 400, false},
                        {760, 234, true}, {250, 150, false}, {419, 234, false}};
    for (const Row& row : rows) {
        const std::string label = std::to_string(row.width) + "x" + std::to_string(row.height) +
                                  (row.byWindowSystem ? " by the window system" : " by the program");
        if (row.byWindowSystem) {
            form.Widget()->windowHandle()->resize(row.width, row.height);
            EXPECT_TRUE(QTest::qWaitFor([&] { return form.ClientWidth() == row.width && form.ClientHeight() == row.height; }))
                << label;
        } else {
            form.SetClientSize(row.width, row.height);
        }
        const int dw = row.width - 419;
        const int dh = row.height - 234;
        EXPECT_EQ(BoundsOf(*grid), (TRect{8, 8, 8 + 403 + dw, 8 + 187 + dh})) << label;
        for (const auto& [control, origin] : bottom) {
            const TRect now = BoundsOf(*control);
            EXPECT_EQ(now.Top, origin.Top + dh) << control->Name() << " " << label;
            EXPECT_EQ(now.Width(), origin.Width()) << control->Name() << " " << label;
            EXPECT_EQ(now.Height(), origin.Height()) << control->Name() << " " << label;
            const double centre = now.Left + now.Width() / 2.0;
            const double expected = (origin.Left + origin.Width() / 2.0) * row.width / 419.0;
            EXPECT_LE(std::abs(centre - expected), 1.0) << control->Name() << " " << label;
            // What the screen shows is where the control says it is.
            const QRect shown = control->Widget()->geometry();
            EXPECT_EQ((TRect{shown.x(), shown.y(), shown.x() + shown.width(), shown.y() + shown.height()}), now)
                << control->Name() << " " << label;
        }
    }
    for (const auto& [control, origin] : bottom) EXPECT_EQ(BoundsOf(*control), origin) << control->Name() << " drifted";
}

TEST_F(Forms, ControlsTakeTheFormsFontAndColourUnlessTheyHaveTheirOwn)
{
    TForm form(nullptr, "TLayoutForm", {});
    auto* box = form.Component<TCheckBox>("CheckBox1");
    auto* edit = form.Component<TCSpinEdit>("rpmEdit");
    auto* label = form.Component<TLabel>("lblCell");
    auto* grid = form.Component<TStringGrid>("c");

    EXPECT_TRUE(box->ParentFont());
    EXPECT_TRUE(edit->ParentFont());
    EXPECT_FALSE(label->ParentFont());
    EXPECT_FALSE(grid->ParentFont());
    EXPECT_EQ(grid->Font()->Height(), -13);
    EXPECT_EQ(label->Font()->Color(), clLime);
    EXPECT_EQ(box->Color(), clBtnFace);
    EXPECT_EQ(edit->Color(), clWindow);

    form.Font()->SetHeight(-15);
    form.Font()->SetName("Courier");
    form.SetColor(clSilver);
    for (TWinControl* follower : {static_cast<TWinControl*>(box), static_cast<TWinControl*>(edit)}) {
        EXPECT_EQ(follower->Font()->Height(), -15) << follower->Name();
        EXPECT_EQ(follower->Font()->Name(), "Courier") << follower->Name();
        EXPECT_EQ(follower->Widget()->font().pixelSize(), 15) << follower->Name();
        EXPECT_TRUE(follower->ParentFont()) << follower->Name();
    }
    EXPECT_EQ(label->Font()->Height(), -11);
    EXPECT_EQ(grid->Font()->Height(), -13);
    EXPECT_EQ(box->Color(), clSilver);
    EXPECT_EQ(edit->Color(), clWindow);
    EXPECT_EQ(label->Color(), clBlack);

    // A font of its own ends following the form; asking for the parent's takes it again.
    box->Font()->SetHeight(-20);
    EXPECT_FALSE(box->ParentFont());
    form.Font()->SetHeight(-9);
    EXPECT_EQ(box->Font()->Height(), -20);
    box->SetParentFont(true);
    EXPECT_EQ(box->Font()->Height(), -9);
}

} // namespace
