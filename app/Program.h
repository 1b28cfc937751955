// The program's entry: initialise the application, create the main form, run until it is
// closed. Whatever escapes is shown to the user; the program always ends with exit code 0.
#pragma once

#include "platform/Application.h"
#include "platform/Exception.h"

template <class Form>
int RunProgram(Form*& mainForm)
{
    try {
        Application->Initialize();
        Application->CreateForm(mainForm);
        Application->Run();
    } catch (const Exception& error) {
        Application->ShowException(error);
    } catch (...) {
        Application->ShowException(Exception(""));
    }
    return 0;
}
