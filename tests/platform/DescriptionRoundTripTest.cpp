// A written description reads back as the description it was written from, whatever the
// settings that made the form: what the fuzz target of the form reader checks on any input,
// here for the inputs on which it once failed.
#include <gtest/gtest.h>

#include <string>

#include "platform/Exception.h"
#include "platform/Form.h"
#include "platform/FormReader.h"
#include "platform/Properties.h"
#include "platform/Registry.h"
#include "platform/SpinEdit.h"
#include "platform/StdCtrls.h"

namespace {

// A component that is no control, as a map is.
class TPlainPart : public TComponent {
public:
    explicit TPlainPart(TComponent* owner) : TComponent(owner) {}
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    static const TClassInfo& StaticClassInfo()
    {
        static const TClassInfo info("TPlainPart", &TComponent::StaticClassInfo(), {});
        return info;
    }
};

std::string Written(const std::string& text)
{
    RegisterFormResource("TTripForm", text);
    TForm form(nullptr, "TTripForm", {});
    return WriteFormDescription(form, "TTripForm");
}

TEST(DescriptionRoundTrip, WhatIsWrittenReadsBackTheSame)
{
    const char* const inputs[] = {
        // A number outside the bounds that come after it: the editor holds it as a user's
        // typing would, and so must the description written from it.
        "object f: TTripForm\n  object e: TCSpinEdit\n    Value = 3\n    MinValue = 10\n    MaxValue = 20\n  end\nend\n",
        "object f: TTripForm\n  object e: TCSpinEdit\n    MaxValue = 7000\n    Value = 9000\n  end\nend\n",
    };
    for (const char* input : inputs) {
        const std::string first = Written(input);
        EXPECT_EQ(Written(first), first) << input;
    }

    RegisterFormResource("TTripForm", inputs[0]);
    TForm form(nullptr, "TTripForm", {});
    EXPECT_EQ(form.Component<TCSpinEdit>("e")->Value(), 3);
}

TEST(DescriptionRoundTrip, NamesThatADescriptionCannotHoldAreRefused)
{
    struct Row {
        const char* what;
        const char* text;
    };
    const Row rows[] = {
        {"not an identifier", "object f: TTripForm\n  object a: TLabel\n    Name = 'b c'\n  end\nend\n"},
        {"a digit first", "object f: TTripForm\n  object a: TLabel\n    Name = '1a'\n  end\nend\n"},
        {"another component's", "object f: TTripForm\n  object a: TLabel\n  end\n  object b: TLabel\n    Name = 'A'\n  end\nend\n"},
        {"the form's", "object f: TTripForm\n  object a: TLabel\n    Name = 'F'\n  end\nend\n"},
        {"the form taking a component's", "object f: TTripForm\n  object a: TLabel\n  end\n  Name = 'a'\nend\n"},
    };
    for (const Row& row : rows) {
        RegisterFormResource("TTripForm", row.text);
        EXPECT_THROW(TForm(nullptr, "TTripForm", {}), Exception) << row.what;
    }

    TComponent owner(nullptr);
    auto* a = new TLabel(&owner);
    auto* b = new TLabel(&owner);
    a->SetName("first");
    EXPECT_THROW(b->SetName("First"), Exception);
    EXPECT_THROW(b->SetName("two words"), Exception);
    b->SetName("second");
    a->SetName("FIRST");  // its own name in other case
    b->SetName("");
    a->SetName("");
    EXPECT_EQ(a->Name(), "");
    EXPECT_EQ(b->Name(), "");
}

TEST(DescriptionRoundTrip, ObjectsNestOnlyInWindowedControls)
{
    static const bool registered = (RegisterClass<TPlainPart>(), true);
    (void)registered;
    RegisterFormResource("TTripForm", "object f: TTripForm\n  object p: TPlainPart\n    object l: TLabel\n    end\n  end\nend\n");
    EXPECT_THROW(TForm(nullptr, "TTripForm", {}), Exception);
    RegisterFormResource("TTripForm", "object f: TTripForm\n  object p: TPlainPart\n  end\n  object l: TLabel\n  end\nend\n");
    EXPECT_NO_THROW(TForm(nullptr, "TTripForm", {}));
}

TEST(DescriptionRoundTrip, ASecondFormOfAClassIsNamedAfterTheFirst)
{
    RegisterFormResource("TTripForm", "object Trip: TTripForm\nend\n");
    TComponent owner(nullptr);
    auto* first = new TForm(&owner, "TTripForm", {});
    auto* second = new TForm(&owner, "TTripForm", {});
    auto* third = new TForm(&owner, "TTripForm", {});
    EXPECT_EQ(first->Name(), "Trip");
    EXPECT_EQ(second->Name(), "Trip_1");
    EXPECT_EQ(third->Name(), "Trip_2");
}

} // namespace
