// The test form after construction: its layout, its maps, its grid and the trace switch.
#include "FormFixture.h"
#include "platform/Menus.h"
#include "platform/Properties.h"

namespace {

TEST_F(TestForm, LayoutCarriesEveryValueOfTheDescription)
{
    EXPECT_EQ(form->Caption(), "MAPGrid Component Test");
    EXPECT_EQ(form->ClientWidth(), 419);
    EXPECT_EQ(form->ClientHeight(), 234);
    EXPECT_EQ(form->Left(), 0);
    EXPECT_EQ(form->Top(), 0);
    EXPECT_EQ(form->Font()->Name(), "Tahoma");
    EXPECT_EQ(form->Font()->Height(), -11);

    struct Row {
        TWinControl* control;
        int left, top, width, height;
        TAnchors anchors;
        int tabOrder;
    };
    const Row rows[] = {
        {form->c, 8, 8, 403, 187, akLeft | akTop | akRight | akBottom, 0},
        {form->rpmEdit, 79, 201, 59, 22, akBottom, 1},
        {form->kpaEdit, 8, 201, 59, 22, akBottom, 2},
        {form->lblCell, 160, 204, 73, 16, akBottom, -1},
        {form->lblProx, 239, 204, 66, 16, akBottom, -1},
        {form->CheckBox1, 320, 208, 97, 17, akBottom, 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.control->Name());
        EXPECT_EQ(r.control->Parent(), form);
        EXPECT_EQ(r.control->Owner(), form);
        EXPECT_EQ(r.control->Left(), r.left);
        EXPECT_EQ(r.control->Top(), r.top);
        EXPECT_EQ(r.control->Width(), r.width);
        EXPECT_EQ(r.control->Height(), r.height);
        EXPECT_EQ(r.control->Anchors(), r.anchors);
        if (r.tabOrder >= 0) {
            EXPECT_EQ(r.control->TabOrder(), r.tabOrder);
        }
    }

    // Creation order is the description's.
    std::vector<std::string> names;
    for (TComponent* component : form->Components()) names.push_back(component->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"lblCell", "lblProx", "c", "rpmEdit", "kpaEdit", "CheckBox1", "mapRPM",
                                               "mapKPA", "mapCells"}));

    TMapGrid* c = form->c;
    EXPECT_EQ(c->ColCount(), 9);
    EXPECT_EQ(c->RowCount(), 9);
    EXPECT_EQ(c->FixedCols(), 0);
    EXPECT_EQ(c->FixedRows(), 0);
    EXPECT_EQ(c->DefaultColWidth(), 43);
    EXPECT_EQ(c->DefaultRowHeight(), 19);
    EXPECT_FALSE(c->DefaultDrawing());
    EXPECT_EQ(c->Color(), clBlack);
    EXPECT_EQ(c->Font()->Name(), "Tahoma");
    EXPECT_EQ(c->PopupMenu()->Name(), "gridPopup");
    EXPECT_TRUE(c->OnKeyPress && c->OnKeyDown);

    EXPECT_EQ(form->rpmEdit->Value(), 3000);
    EXPECT_EQ(form->rpmEdit->MinValue(), 0);
    EXPECT_EQ(form->rpmEdit->MaxValue(), 7000);
    EXPECT_EQ(form->rpmEdit->Increment(), 100);
    EXPECT_EQ(form->kpaEdit->Value(), 104);
    EXPECT_EQ(form->kpaEdit->MaxValue(), 512);
    EXPECT_EQ(form->kpaEdit->Increment(), 2);
    EXPECT_EQ(form->CheckBox1->Caption(), "Trace Map");
    EXPECT_FALSE(form->CheckBox1->Checked());
    EXPECT_EQ(form->lblCell->Color(), clBlack);
    EXPECT_EQ(form->lblCell->Font()->Color(), clLime);
    EXPECT_EQ(form->lblCell->Font()->Height(), -11);

    for (auto [map, rows, cols] : {std::tuple{form->mapRPM, 1u, 8u}, {form->mapKPA, 8u, 1u}, {form->mapCells, 8u, 8u}}) {
        EXPECT_EQ(map->Rows, rows) << map->Name();
        EXPECT_EQ(map->Cols, cols) << map->Name();
    }
}

TEST_F(TestForm, ConstructionLeavesTheGridBoundWithNoSelectionAndTheStartPointTraced)
{
    TMapGrid* c = form->c;
    EXPECT_EQ(c->selectStartRow, -1);
    EXPECT_EQ(c->selectStartCol, -1);
    EXPECT_EQ(c->selectEndRow, -1);
    EXPECT_EQ(c->selectEndCol, -1);
    EXPECT_FALSE(c->mapTrace);
    EXPECT_EQ(c->maxX, 70);
    EXPECT_EQ(c->maxY, 255);
    EXPECT_EQ(c->xVal, 30);
    EXPECT_EQ(c->yVal, 52);
    EXPECT_EQ(c->traceX, 5);
    EXPECT_EQ(c->proxX, 100);
    EXPECT_EQ(c->traceY, 2);
    EXPECT_EQ(c->proxY, 55);
    EXPECT_EQ(form->rpmX, 30);
    EXPECT_EQ(form->kpaY, 52);
    EXPECT_EQ(form->lblCell->Caption(), "Cell:");
    EXPECT_EQ(form->lblProx->Caption(), "Prox:");

    EXPECT_EQ(c->Cells(8, 0), "0.00");
    EXPECT_EQ(c->Cells(1, 0), "8.75");
    EXPECT_EQ(c->Cells(5, 7), "35.25");
    EXPECT_EQ(c->Cells(1, 8), "800");
    EXPECT_EQ(c->Cells(0, 0), "150");
    EXPECT_EQ(c->Objects(0, 8), nullptr);
    EXPECT_EQ(c->Cells(0, 8), "");
    EXPECT_EQ(form->mapRPM->converter->AsString(8), "800");
}

TEST_F(TestForm, CheckBoxSwitchesTheTraceDisplay)
{
    Show();
    QWidget* box = form->CheckBox1->Widget();
    for (bool expected : {true, false, true}) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        EXPECT_EQ(form->CheckBox1->Checked(), expected);
        EXPECT_EQ(form->c->mapTrace, expected);
    }
}

TEST_F(TestForm, KeysOnTheGridChangeTheSelectedCellsLikeTheMenu)
{
    Show();
    TMapGrid* c = form->c;
    auto value = [&](int col, int row) { return dynamic_cast<TMapCell*>(c->Objects(col, row))->cellValue; };
    auto set = [&](int col, int row, int v) { dynamic_cast<TMapCell*>(c->Objects(col, row))->setCellValue(v); };

    // With no selection no key changes anything.
    for (char key : {'=', '-', '_', '+'}) TypeOnGrid(key);
    EXPECT_EQ(value(1, 0), 35);

    int seen = 0;
    c->OnKeyPress = [&, handler = c->OnKeyPress](TObject* s, char& k) {
        ++seen;
        handler(s, k);
    };
    c->selectStartCol = c->selectEndCol = 4;
    c->selectStartRow = c->selectEndRow = 4;
    struct Case {
        char key;
        int before, after;
    };
    const Case cases[] = {{'=', 100, 101}, {'=', 255, 255}, {'-', 100, 99}, {'-', 0, 0},   {'_', 100, 99},
                          {'+', 100, 100}, {'+', 101, 102}, {'*', 100, 100}, {'/', 100, 100}, {'a', 100, 100}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(1, k.key) + " on " + std::to_string(k.before));
        set(4, 4, k.before);
        TypeOnGrid(k.key);
        EXPECT_EQ(value(4, 4), k.after);
        EXPECT_EQ(value(5, 4), 106);
    }
    EXPECT_EQ(seen, 10);  // every key reached the grid's own handling
}

TEST(TestFormLifetime, DestroyingTheFormFreesEverythingOnce)
{
    // The sanitizer build turns a double free or a leak here into a failure.
    for (int i = 0; i < 3; ++i) {
        auto* form = new TForm1(nullptr);
        form->CheckBox1->SetChecked(true);
        delete form;
    }
}

} // namespace
