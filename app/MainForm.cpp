#include "app/MainForm.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

TForm1* Form1 = nullptr;

namespace {

// The trace takes speeds up to 7000 rpm.
constexpr int kSpeedLimit = 70;

// The keyboard's scaling factors are the single-precision values of the menu's 1 % commands.
constexpr float kDown1Percent = 0.99f;
constexpr float kUp1Percent = 1.01f;
static_assert(std::bit_cast<std::uint32_t>(kDown1Percent) == 0x3F7D70A4u);
static_assert(std::bit_cast<std::uint32_t>(kUp1Percent) == 0x3F8147AEu);

constexpr std::uint8_t kRpm[8] = {8, 12, 20, 25, 30, 35, 40, 50};
constexpr std::uint8_t kKpa[8] = {75, 60, 54, 45, 38, 30, 23, 15};
constexpr std::uint8_t kIgnition[8][8] = {
    {35, 33, 25, 16, 10, 8, 8, 0},
    {45, 46, 37, 31, 27, 22, 25, 30},
    {52, 57, 50, 56, 54, 45, 50, 56},
    {51, 59, 63, 81, 86, 70, 70, 78},
    {47, 60, 75, 98, 106, 84, 83, 87},
    {44, 58, 82, 117, 125, 106, 101, 99},
    {45, 54, 77, 123, 138, 118, 111, 112},
    {49, 51, 74, 119, 141, 123, 120, 125},
};

// An editor's speed in rpm as the grid's axis units, hundreds of rpm. Speeds outside the
// trace's range go to its nearest end rather than wrapping round in 8 bits.
unsigned char speedToAxis(int rpm) { return static_cast<unsigned char>(std::clamp(rpm / 100, 0, kSpeedLimit)); }

// An editor's pressure in kPa as the grid's axis units of 2 kPa, kept within 8 bits the
// same way: 512 kPa traces as 255, not as 0.
unsigned char pressureToAxis(int kpa) { return static_cast<unsigned char>(std::clamp(kpa / 2, 0, 255)); }

} // namespace

TForm1::TForm1(TComponent* Owner)
    : TForm(Owner, FormClass(), Handlers(this)),
      c(Component<TMapGrid>("c")),
      mapRPM(Component<TMapData>("mapRPM")),
      mapKPA(Component<TMapData>("mapKPA")),
      mapCells(Component<TMapData>("mapCells")),
      lblCell(Component<TLabel>("lblCell")),
      lblProx(Component<TLabel>("lblProx")),
      rpmEdit(Component<TCSpinEdit>("rpmEdit")),
      kpaEdit(Component<TCSpinEdit>("kpaEdit")),
      CheckBox1(Component<TCheckBox>("CheckBox1"))
{
    // Each map gets its converter and its values before it is bound: binding takes each
    // cell's text at that moment.
    mapRPM->converter = new TRPMCellConverter;
    for (unsigned col = 0; col < 8; ++col) mapRPM->getCells(col, 0)->setCellValue(kRpm[col]);
    c->assignData(mapRPM, 1, 8);

    mapKPA->converter = new TKPACellConverter;
    for (unsigned row = 0; row < 8; ++row) mapKPA->getCells(0, row)->setCellValue(kKpa[row]);
    c->assignData(mapKPA, 0, 0);

    mapCells->converter = new TIGNCellConverter;
    for (unsigned row = 0; row < 8; ++row)
        for (unsigned col = 0; col < 8; ++col) {
            if (col == 7 && row == 0) continue;  // left at the 0 every new cell holds
            mapCells->getCells(col, row)->setCellValue(kIgnition[row][col]);
        }
    c->assignData(mapCells, 1, 0);

    c->maxX = kSpeedLimit;
    c->maxY = 255;
    c->selectEndCol = -1;
    c->selectEndRow = -1;
    c->selectStartCol = -1;
    c->selectStartRow = -1;

    // The trace works on the bound axes, so the point comes after all three bindings.
    rpmX = speedToAxis(rpmEdit->Value());
    c->setX(rpmX);
    kpaY = pressureToAxis(kpaEdit->Value());
    c->setY(kpaY);
}

// The classes the description names are made creatable before it is read.
const char* TForm1::FormClass()
{
    Mapdata::RegisterClasses();
    Mapgrid::RegisterClasses();
    return "TForm1";
}

THandlerTable TForm1::Handlers(TForm1* form)
{
    return {
        {"cKeyPress", TKeyPressEvent(Bind(form, &TForm1::cKeyPress))},
        {"cKeyDown", TKeyEvent(Bind(form, &TForm1::cKeyDown))},
        {"CheckBox1Click", TNotifyEvent(Bind(form, &TForm1::CheckBox1Click))},
        {"rpmEditChange", TNotifyEvent(Bind(form, &TForm1::rpmEditChange))},
        {"kpaEditChange", TNotifyEvent(Bind(form, &TForm1::kpaEditChange))},
    };
}

// The key goes on to the grid's own handling whatever it is.
void TForm1::cKeyPress(TObject*, char& Key)
{
    if (Key == '=') c->doMath('+', 1.0f);
    else if (Key == '-') c->doMath('-', 1.0f);
    else if (Key == '_') c->doMath('*', kDown1Percent);
    else if (Key == '+') c->doMath('*', kUp1Percent);
}

void TForm1::cKeyDown(TObject*, WORD&, TShiftState) {}

void TForm1::CheckBox1Click(TObject*) { c->setMapTrace(CheckBox1->Checked()); }

void TForm1::rpmEditChange(TObject*)
{
    rpmX = speedToAxis(rpmEdit->Value());
    c->setX(rpmX);
    c->setY(kpaY);
    showTrace();
}

void TForm1::kpaEditChange(TObject*)
{
    kpaY = pressureToAxis(kpaEdit->Value());
    rpmX = std::min<unsigned char>(rpmX, kSpeedLimit);
    c->setX(rpmX);
    c->setY(kpaY);
    showTrace();
}

// Both captions are built anew from the trace; the proximities are numbers, never characters.
void TForm1::showTrace()
{
    lblCell->SetCaption("Cell: " + std::to_string(c->traceX) + "," + std::to_string(c->traceY));
    lblProx->SetCaption("Prox: " + std::to_string(static_cast<unsigned>(c->proxX)) + "," +
                        std::to_string(static_cast<unsigned>(c->proxY)));
}
