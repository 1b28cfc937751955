// Form descriptions from anywhere. A form is built from the input, written back, and the
// written text read into a second form and written again: whatever the input, reading either
// succeeds or raises Exception, what was written must read, and the two written texts must be
// the same. Every class a description of this project may name is registered.
#include <QApplication>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/MapData.h"
#include "grid/MapGrid.h"
#include "platform/Exception.h"
#include "platform/Form.h"
#include "platform/FormReader.h"

namespace {

// The handler names the repository's descriptions bind, each of its kind.
THandlerTable Handlers()
{
    const TNotifyEvent notify = [](TObject*) {};
    return {
        {"cKeyPress", TKeyPressEvent([](TObject*, char&) {})},
        {"cKeyDown", TKeyEvent([](TObject*, WORD&, TShiftState) {})},
        {"CheckBox1Click", notify},
        {"rpmEditChange", notify},
        {"kpaEditChange", notify},
        {"traceClick", notify},
        {"boxClick", notify},
        {"editChange", notify},
        {"probePing", notify},
        {"formClose", notify},
        {"gridMouseDown", TMouseEvent([](TObject*, TMouseButton, TShiftState, int, int) {})},
        {"gridDrawCell", TDrawCellEvent([](TObject*, int, int, TRect&, TGridDrawState) {})},
    };
}

// The class the outer object names ("object Form1: TForm1"), which the form is read as.
std::string RootClass(std::string_view text)
{
    const size_t colon = text.find(':', text.find("object"));
    if (colon == std::string_view::npos) return "TFuzzForm";
    size_t start = colon + 1;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    size_t end = start;
    while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
    return end > start ? std::string(text.substr(start, end - start)) : "TFuzzForm";
}

[[noreturn]] void Finding(const char* what, const std::string& first, const std::string& second)
{
    std::fprintf(stderr, "form_reader: %s\n--- written from the input:\n%s\n--- written from that:\n%s\n", what,
                 first.c_str(), second.c_str());
    std::abort();
}

// Reads a description as a form and writes it back.
std::string ReadAndWrite(const std::string& rootClass, const std::string& text)
{
    RegisterFormResource(rootClass, text);
    TForm form(nullptr, rootClass, Handlers());
    return WriteFormDescription(form, rootClass);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "form_reader";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own statics may be gone before a static application's
    // destructor would run.
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
    Mapdata::RegisterClasses();
    Mapgrid::RegisterClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string rootClass = RootClass(text);
    std::string written;
    try {
        written = ReadAndWrite(rootClass, text);
    } catch (const Exception&) {
        return 0;  // refused, with a message naming the line
    }
    std::string again;
    try {
        again = ReadAndWrite(rootClass, written);
    } catch (const Exception& e) {
        Finding(("what was written does not read: " + e.Message()).c_str(), written, "");
    }
    if (again != written) Finding("what was written reads back differently", written, again);
    // Whatever the forms left for the event loop goes with them.
    QCoreApplication::processEvents();
    return 0;
}
