// Reading and writing form descriptions: components created in order and owned by the
// form, settings applied in order through the setters, events bound by handler name and
// quiet while loading, errors naming their line, and the writer's round trip.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/Exception.h"
#include "platform/Form.h"
#include "platform/FormReader.h"
#include "platform/Properties.h"
#include "platform/Registry.h"
#include "platform/SpinEdit.h"
#include "platform/StdCtrls.h"
#include "platform/StringGrid.h"

TForm* NewLibraryForm(TComponent* owner);  // LibraryForm.cpp

namespace {

// A component that logs every setter call, to see the order and the route of settings.
class TProbe : public TComponent {
public:
    explicit TProbe(TComponent* owner) : TComponent(owner) {}

    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    static const TClassInfo& StaticClassInfo()
    {
        static const TClassInfo info = [] {
            std::vector<TPropInfo> props;
            TPublished<TProbe>(props)
                .Int("Alpha", &TProbe::alpha, &TProbe::SetAlpha, 0)
                .String("Beta", &TProbe::Beta, &TProbe::SetBeta)
                .Char("Gamma", &TProbe::gamma, 0)
                .Char("Zero", &TProbe::zero, 1)
                .Bool("Delta", &TProbe::delta, &TProbe::SetDelta, false)
                .Event("OnPing", &TProbe::OnPing);
            return TClassInfo("TProbe", &TComponent::StaticClassInfo(), std::move(props));
        }();
        return info;
    }

    void SetAlpha(int v)
    {
        alpha = v;
        log.push_back("Alpha=" + std::to_string(v));
    }
    const std::string& Beta() const { return beta_; }
    void SetBeta(std::string v)
    {
        beta_ = std::move(v);
        log.push_back("Beta");
    }
    void SetDelta(bool v)
    {
        delta = v;
        log.push_back(v ? "Delta=1" : "Delta=0");
    }

    int alpha = 0;
    unsigned char gamma = 0;
    unsigned char zero = 1;
    bool delta = false;
    TNotifyEvent OnPing;
    std::vector<std::string> log;

private:
    std::string beta_;
};

void RegisterProbe()
{
    static const bool done = (RegisterClass<TProbe>(), true);
    (void)done;
}

const char* const kReaderForm = R"(object ReaderForm: TReaderForm
  Caption = 'Reader'
  ClientWidth = 300
  ClientHeight = 200
  object probe: TProbe
    Alpha = 7
    Beta = 'it''s'#13#10'ok'
    Delta = True
    Alpha = -3
    OnPing = probePing
  end
  object box: TCheckBox
    Left = 10
    Top = 20
    Width = 97
    Height = 17
    Checked = True
    OnClick = boxClick
  end
  object edit: TCSpinEdit
    Left = 10
    Top = 50
    Width = 59
    Height = 22
    MaxValue = 7000
    Value = 3000
    OnChange = editChange
  end
  object note: TLabel
    Caption = 'Cell:'
  end
end
)";

class TReaderForm : public TForm {
public:
    explicit TReaderForm(TComponent* owner)
        : TForm(owner, "TReaderForm",
                {{"probePing", Bind(this, &TReaderForm::probePing)},
                 {"boxClick", Bind(this, &TReaderForm::boxClick)},
                 {"editChange", Bind(this, &TReaderForm::editChange)}})
    {
        probe = Component<TProbe>("probe");
        box = Component<TCheckBox>("box");
        edit = Component<TCSpinEdit>("edit");
    }
    void probePing(TObject* sender) { pings.push_back(sender); }
    void boxClick(TObject*) { ++clicks; }
    void editChange(TObject*) { ++changes; }

    TProbe* probe = nullptr;
    TCheckBox* box = nullptr;
    TCSpinEdit* edit = nullptr;
    std::vector<TObject*> pings;
    int clicks = 0;
    int changes = 0;
};

class FormReader : public ::testing::Test {
protected:
    FormReader()
    {
        RegisterProbe();
        RegisterFormResource("TReaderForm", kReaderForm);
    }
};

std::vector<std::string> Names(const TComponent& owner)
{
    std::vector<std::string> names;
    for (const TComponent* c : owner.Components()) names.push_back(c->Name());
    return names;
}

TEST_F(FormReader, CreatesComponentsInOrderOwnedAndParentedByTheForm)
{
    TReaderForm form(nullptr);
    EXPECT_EQ(form.Name(), "ReaderForm");
    EXPECT_EQ(Names(form), (std::vector<std::string>{"probe", "box", "edit", "note"}));
    for (const TComponent* c : form.Components()) EXPECT_EQ(c->Owner(), &form) << c->Name();
    EXPECT_EQ(form.box->Parent(), &form);
    EXPECT_EQ(form.edit->Parent(), &form);
    EXPECT_EQ(form.Component<TLabel>("note")->Caption(), "Cell:");
    EXPECT_EQ(form.ClientWidth(), 300);
    EXPECT_EQ(form.Caption(), "Reader");
}

TEST_F(FormReader, AppliesSettingsInOrderThroughTheSetters)
{
    TReaderForm form(nullptr);
    EXPECT_EQ(form.probe->log, (std::vector<std::string>{"Alpha=7", "Beta", "Delta=1", "Alpha=-3"}));
    EXPECT_EQ(form.probe->alpha, -3);
    EXPECT_EQ(form.probe->Beta(), "it's\r\nok");
    EXPECT_TRUE(form.box->Checked());
    EXPECT_EQ(form.edit->Value(), 3000);
}

TEST_F(FormReader, BindsEventsByNameAndRaisesNoneWhileLoading)
{
    TReaderForm form(nullptr);
    EXPECT_EQ(form.clicks, 0) << "Checked = True raised OnClick while loading";
    EXPECT_EQ(form.changes, 0) << "Value = 3000 raised OnChange while loading";
    EXPECT_FALSE(form.Loading());

    ASSERT_TRUE(form.probe->OnPing);
    form.probe->OnPing(form.probe);
    EXPECT_EQ(form.pings, std::vector<TObject*>{form.probe});
    form.box->SetChecked(false);
    EXPECT_EQ(form.clicks, 1);
    form.edit->SetValue(100);
    EXPECT_EQ(form.changes, 1);
}

TEST_F(FormReader, ComponentLookupChecksNameAndClass)
{
    TReaderForm form(nullptr);
    EXPECT_EQ(form.Component<TComponent>("BOX"), form.box);
    EXPECT_THROW(form.Component<TLabel>("missing"), Exception);
    EXPECT_THROW(form.Component<TLabel>("box"), Exception);
}

TEST_F(FormReader, ReadsEveryKindOfValue)
{
    struct Row {
        const char* value;
        std::string text;
    };
    const Row rows[] = {
        {"''", ""},
        {"'plain'", "plain"},
        {"'it''s'", "it's"},
        {"''''", "'"},
        {"'a'#0'b'", std::string("a\0b", 3)},
        {"#65#66", "AB"},
        {"#255", "\xff"},
        {"'x'#13#10", "x\r\n"},
        {"'  spaced  '", "  spaced  "},
    };
    for (const Row& row : rows) {
        TProbe probe(nullptr);
        ReadFormDescription(probe, "TProbe", std::string("object p: TProbe\n Beta = ") + row.value + "\nend\n", {});
        EXPECT_EQ(probe.Beta(), row.text) << row.value;
    }

    TProbe probe(nullptr);
    ReadFormDescription(probe, "TProbe",
                        "object p: TProbe\r\n\tAlpha=-2147483648\r\n  Gamma = 'F'\r\n  Zero = #0\r\n  Delta = false\r\nend",
                        {});
    EXPECT_EQ(probe.alpha, -2147483648);
    EXPECT_EQ(probe.gamma, 'F');
    EXPECT_EQ(probe.zero, 0);
    EXPECT_FALSE(probe.delta);
}

TEST_F(FormReader, ReportsErrorsWithTheirLine)
{
    RegisterFormResource("TBadForm", "");
    struct Row {
        const char* what;
        const char* text;
        const char* expected;  // parts of the message
        const char* line;
    };
    const Row rows[] = {
        {"unknown class", "object f: TBadForm\n  object x: TNoSuchClass\n  end\nend", "TNoSuchClass", "line 2:"},
        {"unknown property", "object f: TBadForm\n  object l: TLabel\n    Colour = 5\n  end\nend", "Colour", "line 3:"},
        {"bad value", "object f: TBadForm\n  object b: TCheckBox\n\n    Checked = 'yes'\n  end\nend", "Checked",
         "line 4:"},
        {"bad set element", "object f: TBadForm\n  Anchors = [akLeft, akMiddle]\nend", "akMiddle", "line 2:"},
        {"missing =", "object f: TBadForm\n  Left 10\nend", "'=' expected", "line 2:"},
        {"unterminated string", "object f: TBadForm\n  Caption = 'open\nend", "Unterminated", "line 2:"},
        {"trailing text", "object f: TBadForm\n  Left = 10 20\nend", "End of line", "line 2:"},
        {"missing end", "object f: TBadForm\n  object l: TLabel\n  end\n", "'end' expected", "line 4:"},
        {"end without object", "end\n", "without", "line 1:"},
        {"text after the form", "object f: TBadForm\nend\nobject g: TBadForm\nend", "after the end", "line 3:"},
        {"setting outside", "Left = 1\nobject f: TBadForm\nend", "outside", "line 1:"},
        {"empty", "\n\n", "no object", "line 3:"},
        {"wrong root class", "object f: TOtherForm\nend", "TOtherForm", "line 1:"},
        {"unknown handler", "object f: TBadForm\n  object b: TCheckBox\n    OnClick = noSuchHandler\n  end\nend",
         "noSuchHandler", "line 3:"},
        {"handler of the wrong kind", "object f: TBadForm\n  object b: TCheckBox\n    OnClick = keyHandler\n  end\nend",
         "wrong kind", "line 3:"},
        {"handler as string", "object f: TBadForm\n  OnClose = 'formClose'\nend", "Handler name", "line 2:"},
        {"setter refuses", "object f: TBadForm\n  object g: TStringGrid\n    ColCount = 0\n  end\nend",
         "Grid index out of range", "line 3:"},
        {"number too long", "object f: TBadForm\n  Left = 99999999999999999999\nend", "out of range", "line 2:"},
        {"number beyond the property", "object f: TBadForm\n  Left = 2147483648\nend", "out of range", "line 2:"},
        {"character code", "object f: TBadForm\n  Caption = #300\nend", "#300", "line 2:"},
        {"duplicate name", "object f: TBadForm\n  object a: TLabel\n  end\n  object A: TCheckBox\n  end\nend",
         "already exists", "line 4:"},
        {"dotted into a plain value", "object f: TBadForm\n  Left.Size = 1\nend", "Left", "line 2:"},
        {"dotted name unfinished", "object f: TBadForm\n  Font. = 1\nend", "Property name", "line 2:"},
        {"object without class", "object f\nend", "':' expected", "line 1:"},
    };
    const THandlerTable handlers{{"keyHandler", TKeyPressEvent([](TObject*, char&) {})},
                                 {"formClose", TNotifyEvent([](TObject*) {})}};
    for (const Row& row : rows) {
        RegisterFormResource("TBadForm", row.text);
        try {
            TForm form(nullptr, "TBadForm", handlers);
            ADD_FAILURE() << row.what << ": no error";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(row.line), std::string::npos) << row.what << ": " << e.Message();
            EXPECT_NE(e.Message().find(row.expected), std::string::npos) << row.what << ": " << e.Message();
        }
    }
}

TEST_F(FormReader, MissingDescriptionIsAnException)
{
    EXPECT_THROW(TForm(nullptr, "TNeverRegisteredForm", {}), Exception);
}

TEST_F(FormReader, WriterLeavesOutDefaultsAndWritesCharactersAsCharacters)
{
    TReaderForm form(nullptr);
    form.probe->gamma = 'F';
    form.probe->zero = 0;
    form.Component<TLabel>("note")->Font()->SetColor(clLime);
    const std::string text = WriteFormDescription(form, "TReaderForm");

    for (const char* line : {"object ReaderForm: TReaderForm\n", "  Caption = 'Reader'\n", "  object probe: TProbe\n",
                             "    Alpha = -3\n", "    Beta = 'it''s'#13#10'ok'\n", "    Gamma = 'F'\n",
                             "    Zero = #0\n", "    Delta = True\n", "    Checked = True\n", "    Value = 3000\n",
                             "    MaxValue = 7000\n", "    Font.Color = clLime\n", "    ParentFont = False\n",
                             "  end\nend\n"})
        EXPECT_NE(text.find(line), std::string::npos) << "missing " << line << "in\n" << text;
    // Defaults, names and events are left out.
    for (const char* part : {"Increment", "MinValue", "Tag", "\n  Name", "\n    Name", "OnClick", "OnChange", "OnPing",
                             "Alignment", "AutoSize", "Visible"})
        EXPECT_EQ(text.find(part), std::string::npos) << "unexpected " << part << " in\n" << text;
    // The form has a font of its own and so has the label; the check box and the spin
    // editor take the form's and write none.
    size_t fonts = 0;
    for (size_t at = text.find("Font.Name"); at != std::string::npos; at = text.find("Font.Name", at + 1)) ++fonts;
    EXPECT_EQ(fonts, 2u) << text;
    EXPECT_NE(text.find("    Font.Name", text.find("object note: TLabel")), std::string::npos) << text;
}

TEST_F(FormReader, WrittenDescriptionReadsBackTheSame)
{
    TReaderForm form(nullptr);
    form.probe->gamma = 'F';
    form.probe->zero = 200;
    form.box->SetChecked(false);
    form.edit->SetText("4567");
    form.edit->SetAnchors(akBottom);
    auto* note = form.Component<TLabel>("note");
    note->SetAutoSize(false);
    note->SetBounds(160, 204, 73, 16);
    note->SetColor(clBlack);
    note->Font()->SetHeight(-13);
    const std::string first = WriteFormDescription(form, "TCopyForm");

    RegisterFormResource("TCopyForm", first);
    TForm copy(nullptr, "TCopyForm", {{"probePing", TNotifyEvent()}, {"boxClick", TNotifyEvent()},
                                       {"editChange", TNotifyEvent()}});
    EXPECT_EQ(WriteFormDescription(copy, "TCopyForm"), first);
    EXPECT_EQ(Names(copy), Names(form));
    auto* probe = copy.Component<TProbe>("probe");
    EXPECT_EQ(probe->gamma, 'F');
    EXPECT_EQ(probe->zero, 200);
    EXPECT_EQ(probe->Beta(), form.probe->Beta());
    EXPECT_FALSE(copy.Component<TCheckBox>("box")->Checked());
    EXPECT_EQ(copy.Component<TCSpinEdit>("edit")->Value(), 4567);
    EXPECT_EQ(copy.Component<TCSpinEdit>("edit")->Anchors(), TAnchors{akBottom});
    auto* copiedNote = copy.Component<TLabel>("note");
    EXPECT_EQ(copiedNote->Color(), clBlack);
    EXPECT_EQ(copiedNote->Font()->Height(), -13);
    EXPECT_FALSE(copiedNote->ParentFont());
    EXPECT_EQ((TRect{copiedNote->Left(), copiedNote->Top(), copiedNote->Width(), copiedNote->Height()}),
              (TRect{160, 204, 73, 16}));
    EXPECT_TRUE(copy.Component<TCheckBox>("box")->ParentFont());
}

TEST(FormResources, EmbeddedTextIsRegisteredAtStartExactly)
{
    std::ifstream file(EMBEDDED_FORM_FILE, std::ios::binary);
    std::stringstream expected;
    expected << file.rdbuf();
    const std::string* text = FindFormResource("tembeddedform");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text, expected.str());

    TForm form(nullptr, "TEmbeddedForm", {});
    EXPECT_EQ(form.Component<TLabel>("greeting")->Caption(), "Caf\xe9 'Tahoma' #1");
}

TEST(FormResources, DescriptionInAStaticLibraryIsRegisteredToo)
{
    ASSERT_NE(FindFormResource("TLibraryForm"), nullptr);
    std::unique_ptr<TForm> form(NewLibraryForm(nullptr));
    EXPECT_EQ(form->Caption(), "From a library");
}

} // namespace
