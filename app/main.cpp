#include "app/MainForm.h"
#include "app/Program.h"

int main() { return RunProgram(Form1); }
