// The test form: the map grid with its three demonstration maps, the operating-point
// editors, the trace switch and the readout labels.
#pragma once

#include "data/MapData.h"
#include "grid/MapGrid.h"
#include "platform/Form.h"
#include "platform/SpinEdit.h"
#include "platform/StdCtrls.h"

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* Owner);

    TMapGrid* c;
    TMapData* mapRPM;
    TMapData* mapKPA;
    TMapData* mapCells;
    TLabel* lblCell;
    TLabel* lblProx;
    TCSpinEdit* rpmEdit;
    TCSpinEdit* kpaEdit;
    TCheckBox* CheckBox1;

    void cKeyPress(TObject* Sender, char& Key);
    void cKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void CheckBox1Click(TObject* Sender);
    void rpmEditChange(TObject* Sender);
    void kpaEditChange(TObject* Sender);

    // The operating point as last given to the grid: hundreds of rpm, units of 2 kPa.
    unsigned char rpmX = 0;
    unsigned char kpaY = 0;

private:
    static const char* FormClass();
    static THandlerTable Handlers(TForm1* form);
    void showTrace();
};

extern TForm1* Form1;
