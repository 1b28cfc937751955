// The speed and pressure editors move the operating point; the labels read the trace back.
#include "FormFixture.h"

namespace {

TEST_F(TestForm, TypedAndSteppedEditorTextsMoveTheTraceAndRewriteTheLabels)
{
    Show();
    struct Case {
        bool speed;
        const char* text;
        int rpmX, kpaY;
        const char* cell;
        const char* prox;
    };
    const Case cases[] = {
        {true, "3000", 30, 52, "Cell: 5,2", "Prox: 100,55"},
        {true, "3050", 30, 52, "Cell: 5,2", "Prox: 100,55"},
        {true, "2700", 27, 52, "Cell: 4,2", "Prox: 20,55"},
        {true, "7000", 70, 52, "Cell: 8,2", "Prox: 0,55"},
        {true, "99", 0, 52, "Cell: 1,2", "Prox: 0,55"},
        {true, "9000", 70, 52, "Cell: 8,2", "Prox: 0,55"},
        {true, "25600", 70, 52, "Cell: 8,2", "Prox: 0,55"},
        {true, "-100", 0, 52, "Cell: 1,2", "Prox: 0,55"},
        {true, "", 0, 52, "Cell: 1,2", "Prox: 0,55"},
        {true, "abc", 0, 52, "Cell: 1,2", "Prox: 0,55"},
        {true, "3000", 30, 52, "Cell: 5,2", "Prox: 100,55"},
        {false, "104", 30, 52, "Cell: 5,2", "Prox: 100,55"},
        {false, "105", 30, 52, "Cell: 5,2", "Prox: 100,55"},
        {false, "30", 30, 15, "Cell: 5,7", "Prox: 100,100"},
        {false, "510", 30, 255, "Cell: 5,0", "Prox: 100,0"},
        {false, "512", 30, 255, "Cell: 5,0", "Prox: 100,0"},
        {false, "-8", 30, 0, "Cell: 5,7", "Prox: 100,0"},
        {false, "99999999999999999999", 30, 0, "Cell: 5,7", "Prox: 100,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.speed ? "speed " : "pressure ") + c.text);
        TypeInto(c.speed ? form->rpmEdit : form->kpaEdit, c.text);
        EXPECT_EQ(form->rpmX, c.rpmX);
        EXPECT_EQ(form->kpaY, c.kpaY);
        EXPECT_EQ(form->c->xVal, c.rpmX);
        EXPECT_EQ(form->c->yVal, c.kpaY);
        EXPECT_EQ(form->lblCell->Caption(), c.cell);
        EXPECT_EQ(form->lblProx->Caption(), c.prox);
    }
}

TEST_F(TestForm, SteppingTheSpeedEditorTracesEachStep)
{
    Show();
    QTest::keyClick(form->rpmEdit->Widget(), Qt::Key_Up);
    EXPECT_EQ(form->rpmEdit->Value(), 3100);
    EXPECT_EQ(form->rpmX, 31);
    EXPECT_EQ(form->lblCell->Caption(), "Cell: 5,2");
    EXPECT_EQ(form->lblProx->Caption(), "Prox: 60,55");
}

TEST_F(TestForm, EachHandlerPassesBothCoordinatesSpeedFirst)
{
    // Observe the grid's calls through the trace fields it sets on each.
    form->kpaY = 15;
    TypeInto(form->rpmEdit, "4000");
    EXPECT_EQ(form->c->traceX, 7);
    EXPECT_EQ(form->c->traceY, 7);  // the stored pressure went to setY again
    form->rpmX = 200;               // beyond the limit: the pressure handler brings it back
    TypeInto(form->kpaEdit, "150");
    EXPECT_EQ(form->rpmX, 70);
    EXPECT_EQ(form->c->xVal, 70);
    EXPECT_EQ(form->c->traceY, 0);
    EXPECT_EQ(form->lblCell->Caption(), "Cell: 8,0");
}

} // namespace
