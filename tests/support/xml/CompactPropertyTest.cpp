// Parsed properties keep their names and values in the arena (or their values in place in bytes
// the document took), share one copy of a name per parse, and skip the decode hook for values it keeps:
// each shortcut must give what the plain path gives.
#include "support/IconPageXml.h"
#include "support/xml/SimpleXml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct KeepsRow {
    const char* name;
    std::string value;
    bool kept;  // IconPageDecodeKeepsValue's answer
};

class DecodeShortcut : public ::testing::TestWithParam<KeepsRow> {};

// The parser trusts the answer: a value it keeps must be one the hook gives back unchanged.
TEST_P(DecodeShortcut, KeptValuesAreTheOnesTheHookLeavesAlone)
{
    const std::string& value = GetParam().value;
    EXPECT_EQ(IconPageDecodeKeepsValue(value), GetParam().kept);
    std::string decoded = value;
    IconPageDecodeValue(decoded);
    if (IconPageDecodeKeepsValue(value)) {
        EXPECT_EQ(decoded, value);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, DecodeShortcut,
    ::testing::Values(KeepsRow{"Empty", "", true}, KeepsRow{"Ascii", "Ranger Camp 12", true},
                      KeepsRow{"Korean", "\xEC\xB4\x8C\xEC\x9E\xA5", true},
                      KeepsRow{"Entity", "a &amp; b", false}, KeepsRow{"NumericReference", "x&#10;y", false},
                      KeepsRow{"LoneAmpersand", "a & b", false}, KeepsRow{"StrayByte", "caf\xE9", false},
                      KeepsRow{"Overlong", "\xC0\xAF", false}, KeepsRow{"CutSequence", "ab\xEC\xB4", false},
                      KeepsRow{"Surrogate", "\xED\xA0\x80", false},
                      KeepsRow{"LongAsciiThenStray", std::string(40, 'a') + "\xFF", false},
                      KeepsRow{"LongAsciiThenEntity", std::string(17, 'a') + "&lt;", false},
                      KeepsRow{"LongAsciiThenKorean", std::string(9, 'a') + "\xEC\xB4\x8C" + std::string(9, 'b'), true},
                      KeepsRow{"AmpersandInSecondWord", "abcdefgh&amp;abcdefgh", false},
                      KeepsRow{"HighBitInLastWord", "abcdefghabcdefg\x80", false}),
    [](const ::testing::TestParamInfo<KeepsRow>& row) { return std::string(row.param.name); });

std::string PropertyValues(const TSimpleXMLElem& elem)
{
    std::string all;
    const TSimpleXMLProps* props = elem.PropertiesIfAny();
    for (int i = 0; props && i < props->Count(); ++i) {
        const TSimpleXMLProp* prop = props->Item(i);
        all += std::string(prop->NameSpace()) + "|" + std::string(prop->Name()) + "=" + std::string(prop->Value()) + ";";
    }
    return all;
}

class ParseShortcut : public ::testing::TestWithParam<KeepsRow> {};

// The same page read with the shortcut and with the hook alone gives the same values.
TEST_P(ParseShortcut, GivesTheValuesOfTheHookAlone)
{
    const std::string page = "<Page a=\"" + GetParam().value + "\" x:b='" + GetParam().value + "'>"
                             "<Icon c=\"" + GetParam().value + "\"/></Page>";
    TSimpleXML withShortcut;
    ConfigureIconPageXml(withShortcut);
    TSimpleXML hookOnly;
    ConfigureIconPageXml(hookOnly);
    hookOnly.DecodeKeepsValue = nullptr;
    // Read in place: values decoded where they stand, each ended by a '\0' of its own.
    TSimpleXML inPlace;
    ConfigureIconPageXml(inPlace);
    withShortcut.LoadFromString(page);
    hookOnly.LoadFromString(page);
    inPlace.LoadFromBuffer(page);
    for (const TSimpleXML* doc : {&withShortcut, &inPlace}) {
        EXPECT_EQ(PropertyValues(doc->Root()), PropertyValues(hookOnly.Root()));
        EXPECT_EQ(PropertyValues(*doc->Root().ItemsIfAny()->Item(0)), PropertyValues(*hookOnly.Root().Items().Item(0)));
        const TSimpleXMLText value = doc->Root().PropertiesIfAny()->Item(0)->Value();
        EXPECT_EQ(std::string(value.c_str()), std::string(value));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ParseShortcut,
    ::testing::Values(KeepsRow{"Ascii", "Ranger Camp", true}, KeepsRow{"Korean", "\xEC\xB4\x8C", true},
                      KeepsRow{"Entity", "a &lt;b&gt; &amp;amp;", false}, KeepsRow{"StrayByte", "caf\xE9", false},
                      KeepsRow{"NumericReference", "x&#xA;y", false}),
    [](const ::testing::TestParamInfo<KeepsRow>& row) { return std::string(row.param.name); });

// Names that fall into the same slot of the parser's table of shared names, across many
// blocks, each read back as written; freeing the elements that hold the first copy of a name
// in a block leaves the others' names intact.
TEST(CompactProperty, SharedNamesStayRightAcrossBlocksAndFrees)
{
    constexpr int kElements = 4000; // several blocks
    const std::vector<std::string> names = {"ab", "cb", "ab", "xb", "A1", "ab", "abc", "a"};
    std::string page = "<r>";
    for (int i = 0; i < kElements; ++i) {
        page += "<e";
        for (std::size_t k = 0; k < names.size(); ++k)
            page += " " + names[(k + static_cast<std::size_t>(i)) % names.size()] + "='" + std::to_string(i) + "'";
        page += "/>";
    }
    page += "</r>";
    TSimpleXML doc;
    doc.LoadFromString(page);
    TSimpleXMLElems& items = doc.Root().Items();
    for (int i = 0; i < kElements; i += 3)
        items.Item(i)->Properties().Delete(0);
    for (int i = kElements - 2; i >= 0; i -= 4)
        items.Delete(i);
    for (int i = 0; i < items.Count(); ++i) {
        const TSimpleXMLProps& props = items.Item(i)->Properties();
        const std::string number(props.Item(props.Count() - 1)->Value());
        const int source = std::stoi(number);
        const std::size_t first = source % 3 == 0 ? 1 : 0;
        ASSERT_EQ(static_cast<std::size_t>(props.Count()), names.size() - first);
        for (std::size_t k = first; k < names.size(); ++k) {
            const TSimpleXMLProp* prop = props.Item(static_cast<int>(k - first));
            ASSERT_EQ(prop->Name(), names[(k + static_cast<std::size_t>(source)) % names.size()]);
            ASSERT_EQ(prop->Value(), number);
        }
    }
}

// Values read in place live in the bytes the document took; an element taken out of the
// document, or a tag whose properties need a block of their own, keeps those bytes alive after
// the document is gone or has read another page.
TEST(CompactProperty, ValuesReadInPlaceOutliveTheirDocument)
{
    std::string manyProperties = "<r>";
    manyProperties += "<big";
    constexpr int kProperties = 3000;  // more than one arena block of properties
    for (int i = 0; i < kProperties; ++i)
        manyProperties += " p" + std::to_string(i) + "=\"v" + std::to_string(i) + " &amp; more\"";
    manyProperties += "/><small a=\"kept\"/></r> after";
    std::unique_ptr<TSimpleXMLElem> big;
    std::unique_ptr<TSimpleXMLElem> small;
    {
        TSimpleXML doc;
        ConfigureIconPageXml(doc);
        EXPECT_EQ(doc.LoadFromBuffer("\xEF\xBB\xBF" + manyProperties, 3), manyProperties.size() - 6 + 3);
        EXPECT_EQ(doc.Buffer().substr(doc.Buffer().size() - 6), " after");
        big = doc.Root().Items().Take(0);
        small = doc.Root().Items().Take(0);
        doc.LoadFromBuffer("<other x=\"y\"/>");
    }
    ASSERT_EQ(big->Properties().Count(), kProperties);
    EXPECT_EQ(big->Properties().Item(kProperties - 1)->Value(), "v" + std::to_string(kProperties - 1) + " & more");
    EXPECT_EQ(small->Properties().Item(0)->Value(), "kept");
}

struct ChangeRow {
    const char* name;
    std::size_t from;    // the new value is the old one from here ...
    std::size_t length;  // ... for this many bytes
};

class PropertyChange : public ::testing::TestWithParam<ChangeRow> {};

// A parsed value borrows arena bytes; setting a value made from those very bytes, a name or a
// namespace keeps the bytes right and leaves the neighbours alone.
TEST_P(PropertyChange, SettingFromItsOwnBytes)
{
    TSimpleXML doc;
    doc.LoadFromString("<r p:one=\"first value\" two=\"second\"/>");
    TSimpleXMLProp* one = doc.Root().Properties().Item(0);
    const std::string expected = std::string("first value").substr(GetParam().from, GetParam().length);
    one->SetValue(one->Value().substr(GetParam().from, GetParam().length));
    EXPECT_EQ(one->Value(), expected);
    EXPECT_EQ(std::string(one->Value().c_str()), expected);
    one->SetValue(one->Value());
    EXPECT_EQ(one->Value(), expected);
    one->SetName(one->Name().substr(1));
    one->SetNameSpace(one->NameSpace() + "q");
    EXPECT_EQ(one->FullName(), "pq:ne");
    one->SetNameSpace(one->NameSpace().substr(1));
    EXPECT_EQ(one->FullName(), "q:ne");
    one->SetNameSpace("");
    EXPECT_EQ(one->FullName(), "ne");
    EXPECT_EQ(doc.Root().Properties().Item(1)->Value(), "second");
    EXPECT_EQ(doc.Root().Properties().Item(1)->NameSpace(), "");
    EXPECT_EQ(doc.Root().Properties().Item(1)->Data(), nullptr);
    int marker = 0;
    one->SetData(&marker);
    EXPECT_EQ(one->Data(), &marker);
}

INSTANTIATE_TEST_SUITE_P(Rows, PropertyChange,
    ::testing::Values(ChangeRow{"Whole", 0, 11}, ChangeRow{"Head", 0, 5}, ChangeRow{"Tail", 6, 5},
                      ChangeRow{"Empty", 3, 0}),
    [](const ::testing::TestParamInfo<ChangeRow>& row) { return std::string(row.param.name); });

// A list keeps the namespaces and data pointers of its properties apart from them; whatever
// happens to the list, each stays with its own property, and a copy takes the namespaces.
struct ExtrasRow {
    const char* name;
    std::function<void(TSimpleXMLProps&)> change;
    const char* expected;  // namespace|name=value of each property, '*' for the data pointer
};

class PropertyExtras : public ::testing::TestWithParam<ExtrasRow> {};

int gMarker = 0;

std::string Described(const TSimpleXMLProps& props)
{
    std::string all;
    for (int i = 0; i < props.Count(); ++i) {
        const TSimpleXMLProp* prop = props.Item(i);
        all += std::string(prop->NameSpace()) + "|" + std::string(prop->Name()) + "=" + std::string(prop->Value());
        all += prop->Data() == &gMarker ? "*;" : ";";
    }
    return all;
}

TEST_P(PropertyExtras, StayWithTheirProperty)
{
    TSimpleXML doc;
    doc.LoadFromBuffer("<r a=\"1\" p:b=\"2\" c=\"3\"><e/></r>");
    TSimpleXMLProps& props = doc.Root().Properties();
    props.Item(1)->SetData(&gMarker);
    props.Item(2)->SetNameSpace("q");
    GetParam().change(props);
    EXPECT_EQ(Described(props), GetParam().expected);
    // Every property, parsed or added, finds its list, also past properties deleted before it.
    for (int i = 0; i < props.Count(); ++i)
        EXPECT_EQ(props.Item(i)->Parent(), &props) << i;
    // A copy of the element takes the namespaces but not the data pointers.
    TSimpleXMLElemClassic copy;
    copy.Assign(doc.Root());
    std::string withoutData = GetParam().expected;
    withoutData.erase(std::remove(withoutData.begin(), withoutData.end(), '*'), withoutData.end());
    EXPECT_EQ(Described(copy.Properties()), withoutData);
    // Reading another page into the same document leaves none behind.
    doc.LoadFromBuffer("<r a=\"1\" b=\"2\" c=\"3\"/>");
    EXPECT_EQ(Described(doc.Root().Properties()), "|a=1;|b=2;|c=3;");
}

INSTANTIATE_TEST_SUITE_P(Rows, PropertyExtras,
    ::testing::Values(
        ExtrasRow{"Unchanged", [](TSimpleXMLProps&) {}, "|a=1;p|b=2*;q|c=3;"},
        ExtrasRow{"EarlierDeleted", [](TSimpleXMLProps& props) { props.Delete(0); }, "p|b=2*;q|c=3;"},
        ExtrasRow{"EarlierDeletedThenChanged",
                  [](TSimpleXMLProps& props) {
                      props.Delete(0);
                      props.Delete(0);
                      props.Item(0)->SetNameSpace("s");
                      props.Item(0)->SetValue("10");
                      props.Item(0)->SetData(&gMarker);
                  },
                  "s|c=10*;"},
        ExtrasRow{"DeletedThenAdded",
                  [](TSimpleXMLProps& props) {
                      props.Delete(1);
                      props.Delete(1);
                      props.Add("b", "4");
                      props.Add("c", "5");
                  },
                  "|a=1;|b=4;|c=5;"},
        ExtrasRow{"ClearedThenAdded",
                  [](TSimpleXMLProps& props) {
                      props.Clear();
                      props.Add("c", "6")->SetNameSpace("n");
                  },
                  "n|c=6;"},
        ExtrasRow{"RenamedAndChanged",
                  [](TSimpleXMLProps& props) {
                      props.Item(1)->SetName("bb");
                      props.Item(1)->SetValue("7");
                      props.Item(0)->SetValue("8");
                  },
                  "|a=8;p|bb=7*;q|c=3;"},
        ExtrasRow{"Added", [](TSimpleXMLProps& props) { props.Add("d", "9"); }, "|a=1;p|b=2*;q|c=3;|d=9;"},
        ExtrasRow{"Reset",
                  [](TSimpleXMLProps& props) {
                      props.Item(1)->SetData(nullptr);
                      props.Item(1)->SetNameSpace("");
                      props.Item(2)->SetNameSpace("");
                  },
                  "|a=1;|b=2;|c=3;"}),
    [](const ::testing::TestParamInfo<ExtrasRow>& row) { return std::string(row.param.name); });

struct NamesRow {
    const char* name;
    std::size_t nameLength;
    int distinctNames;
};

class KeptNames : public ::testing::TestWithParam<NamesRow> {};

// Property names are kept once per parse, however many elements and blocks refer to them; an
// element taken out of its document keeps its names after the document read another page.
TEST_P(KeptNames, OutliveTheirDocument)
{
    const auto nameOf = [](int i) {
        std::string name = "n" + std::to_string(i);
        name.resize(GetParam().nameLength, 'x');
        return name;
    };
    std::string page = "<r>";
    constexpr int kElements = 300;
    // Element names as many and as long as the property names.
    const auto elementName = [&nameOf](int e) { return "e" + nameOf(e % GetParam().distinctNames); };
    for (int e = 0; e < kElements; ++e) {
        page += "<" + elementName(e);
        for (int k = 0; k < 3; ++k)
            page += " " + nameOf((e * 3 + k) % GetParam().distinctNames) + "=\"" + std::to_string(e) + "\"";
        page += "/>";
    }
    page += "</r>";
    std::vector<std::unique_ptr<TSimpleXMLElem>> taken;
    {
        TSimpleXML doc;
        doc.LoadFromBuffer(page);
        // The first elements, in their order.
        for (int e = 0; e < kElements / 7; ++e)
            taken.push_back(doc.Root().Items().Take(0));
        // Renaming one element leaves the others of its name as they are.
        TSimpleXMLElems& left = doc.Root().Items();
        left.Item(0)->SetName("renamed");
        EXPECT_EQ(left.Item(0)->Name(), "renamed");
        for (int i = 1; i < left.Count(); ++i)
            ASSERT_EQ(left.Item(i)->Name(), elementName(kElements / 7 + i)) << i;
        EXPECT_EQ(doc.Root().Name(), "r");
        doc.LoadFromBuffer("<other x=\"y\"/>");
        EXPECT_EQ(doc.Root().Name(), "other");
    }
    for (std::size_t t = 0; t < taken.size(); ++t) {
        EXPECT_EQ(taken[t]->Name(), elementName(static_cast<int>(t)));
        const TSimpleXMLProps& props = taken[t]->Properties();
        ASSERT_EQ(props.Count(), 3);
        for (int k = 0; k < 3; ++k) {
            const int e = static_cast<int>(t);
            EXPECT_EQ(props.Item(k)->Name(), nameOf((e * 3 + k) % GetParam().distinctNames));
            EXPECT_EQ(props.Item(k)->Value(), std::to_string(e));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, KeptNames,
    ::testing::Values(NamesRow{"FewShort", 4, 5}, NamesRow{"ManyShort", 40, 900}, NamesRow{"Long", 1500, 6}),
    [](const ::testing::TestParamInfo<NamesRow>& row) { return std::string(row.param.name); });

} // namespace
