// Labels and check boxes in a shown form, driven by real Qt events.
#include <QCheckBox>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/Exception.h"
#include "platform/Form.h"
#include "platform/GdiPrivate.h"
#include "platform/StdCtrls.h"

namespace {

const char* const kPanel = R"(object Panel: TPanelForm
  ClientWidth = 300
  ClientHeight = 100
  object readout: TLabel
    Left = 10
    Top = 10
    Width = 120
    Height = 16
    AutoSize = False
    Caption = 'Cell:'
    Color = clBlack
    Font.Color = clLime
    Font.Height = -11
  end
  object fitted: TLabel
    Left = 10
    Top = 40
    Caption = 'Prox: 100,0'
  end
  object trace: TCheckBox
    Left = 150
    Top = 10
    Width = 97
    Height = 17
    Caption = 'Trace Map'
    Checked = True
    OnClick = traceClick
  end
end
)";

class TPanelForm : public TForm {
public:
    explicit TPanelForm(TComponent* owner)
        : TForm(owner, "TPanelForm", {{"traceClick", Bind(this, &TPanelForm::traceClick)}})
    {
        readout = Component<TLabel>("readout");
        trace = Component<TCheckBox>("trace");
    }
    void traceClick(TObject* sender)
    {
        EXPECT_EQ(sender, trace);
        seen.push_back(trace->Checked());
    }

    TLabel* readout = nullptr;
    TCheckBox* trace = nullptr;
    std::vector<bool> seen;  // Checked as each OnClick found it
};

class StdCtrls : public ::testing::Test {
protected:
    StdCtrls()
    {
        form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    }

    // Registered before the form member reads it.
    bool registered_ = (RegisterFormResource("TPanelForm", kPanel), true);
    TPanelForm form{nullptr};
};

TEST_F(StdCtrls, LabelPaintsItsBackgroundAndTextInItsColours)
{
    TLabel* label = form.readout;
    EXPECT_EQ(label->Width(), 120) << "a label that does not size itself keeps its width";
    const QImage shot = label->Widget()->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(120, 16));
    // Far right of a short caption there is only background.
    EXPECT_EQ(QColor(shot.pixel(115, 8)), QColor(Qt::black));
    EXPECT_EQ(QColor(shot.pixel(100, 1)), QColor(Qt::black));
    // The caption sits at the left and the top, in lime.
    int lime = 0;
    int limeLeft = shot.width();
    int limeTop = shot.height();
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c(shot.pixel(x, y));
            if (c.green() > 160 && c.red() < 100 && c.blue() < 100) {
                ++lime;
                limeLeft = std::min(limeLeft, x);
                limeTop = std::min(limeTop, y);
            }
        }
    EXPECT_GT(lime, 10);
    EXPECT_LT(limeLeft, 4);
    EXPECT_LT(limeTop, 6);

    label->SetCaption("Cell: 5,2");
    EXPECT_EQ(label->Caption(), "Cell: 5,2");
    EXPECT_EQ(label->Width(), 120);
}

TEST_F(StdCtrls, LabelThatSizesItselfFitsItsCaption)
{
    auto* label = form.Component<TLabel>("fitted");
    const QFontMetrics metrics(ToQFont(*label->Font()));
    EXPECT_EQ(label->Width(), metrics.horizontalAdvance("Prox: 100,0"));
    EXPECT_EQ(label->Height(), metrics.height());
    label->SetCaption("Prox: 1,1 and more");
    EXPECT_EQ(label->Width(), metrics.horizontalAdvance("Prox: 1,1 and more"));
}

TEST_F(StdCtrls, CheckBoxRaisesOnClickWheneverCheckedChanges)
{
    TCheckBox* box = form.trace;
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(form.seen.empty()) << "no OnClick while loading";

    QWidget* widget = box->Widget();
    const QPoint onTheBox(8, widget->height() / 2);
    QTest::mouseClick(widget, Qt::LeftButton, {}, onTheBox);
    QTest::mouseClick(widget, Qt::LeftButton, {}, onTheBox);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Space);
    box->SetChecked(false);  // by the program, to the state it has: nothing changes
    box->SetChecked(true);
    EXPECT_EQ(form.seen, (std::vector<bool>{false, true, false, true}));
    EXPECT_TRUE(static_cast<QCheckBox*>(widget)->isChecked());
}

TEST_F(StdCtrls, CheckBoxByTheProgramPassesItsHandlersExceptionToTheCaller)
{
    form.trace->OnClick = [](TObject*) { throw Exception("refused"); };
    EXPECT_THROW(form.trace->SetChecked(false), Exception);
    EXPECT_FALSE(form.trace->Checked());
}

} // namespace
