// A big page read by two threads gives the document, the error and its place that one thread
// gives, whatever sits at the line where the second thread starts.
#include "support/IconPageXml.h"
#include "support/xml/SimpleXml.h"
#include "support/xml/SimpleXmlParser.h"

#include <gtest/gtest.h>

#include <cctype>
#include <limits>
#include <string>
#include <thread>

namespace {

std::string Icons(int from, int count)
{
    std::string icons;
    for (int i = from; i < from + count; ++i)
        icons += "<Icon Name=\"POI " + std::to_string(i) + " \xEB\x8C\x80\" Location=\"" + std::to_string(i) +
                 ",7\" Tooltip=\"a &amp; b &#x41;\" Size=\"12,12\"/>\r\n";
    return icons;
}

// A page whose middle falls inside `middle`, with as many icons before it as after it.
std::string PageAround(const std::string& middle, const std::string& end = "</Page>\r\n")
{
    return "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<Page Name=\"p\">\r\n" + Icons(0, 40) + middle + Icons(40, 40) + end;
}

// Many lines that each start an element, so that the second thread starts in one of them.
std::string ElementLines(int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "<Icon Name=\"inner " + std::to_string(i) + "\"/>\n";
    return lines;
}

struct Outcome {
    std::string written;
    std::string error;
    std::uint64_t offset = 0;
    bool nameless = false;
    // The last icon's decoded tooltip lies outside the buffer: the second thread copies the
    // values it decodes, where one thread decodes them in place.
    bool secondHalfCopied = false;
    bool valuesEnded = true;  // every value of the root's children is followed by a '\0'
};

Outcome Load(const std::string& bytes, bool split, bool iconPage)
{
    const std::size_t before =
        TSimpleXMLParser::SetSplitReadBytes(split ? 0 : std::numeric_limits<std::size_t>::max());
    Outcome outcome;
    TSimpleXML doc;
    if (iconPage)
        ConfigureIconPageXml(doc);
    try {
        doc.LoadFromBuffer(bytes, 3);
        outcome.written = doc.SaveToString();
        outcome.nameless = doc.ReadNamelessProperty();
        TSimpleXMLElem& root = doc.Root();
        if (root.ItemCount() > 0) {
            const TSimpleXMLProp* tooltip = root.Items().Item(root.ItemCount() - 1)->Properties().Find("Tooltip");
            const std::string_view buffer = doc.Buffer();
            outcome.secondHalfCopied = tooltip
                && (tooltip->Value().data() < buffer.data() || tooltip->Value().data() >= buffer.data() + buffer.size());
            for (int i = 0; i < root.ItemCount(); ++i) {
                const TSimpleXMLProps* props = root.Items().Item(i)->PropertiesIfAny();
                for (int j = 0; props && j < props->Count(); ++j) {
                    const TSimpleXMLText value = props->Item(j)->Value();
                    outcome.valuesEnded = outcome.valuesEnded && value.data()[value.size()] == '\0';
                }
            }
        }
    } catch (const ESimpleXMLError& error) {
        outcome.error = error.what();
        outcome.offset = error.Offset();
    }
    TSimpleXMLParser::SetSplitReadBytes(before);
    return outcome;
}

struct SplitCase {
    const char* name;
    std::string bytes;
    bool taken;  // the second thread's items are used
};

class SplitReadTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitReadTest, SameAsOneThread)
{
    for (const bool iconPage : {true, false}) {
        const Outcome one = Load(GetParam().bytes, false, iconPage);
        const Outcome two = Load(GetParam().bytes, true, iconPage);
        EXPECT_EQ(two.written, one.written) << GetParam().name;
        EXPECT_EQ(two.error, one.error) << GetParam().name;
        EXPECT_EQ(two.offset, one.offset) << GetParam().name;
        EXPECT_EQ(two.nameless, one.nameless) << GetParam().name;
        EXPECT_FALSE(one.secondHalfCopied);
        EXPECT_TRUE(two.valuesEnded) << GetParam().name;
        // Where the machine has a second processor.
        if (std::thread::hardware_concurrency() >= 2 && one.error.empty()) {
            EXPECT_EQ(two.secondHalfCopied, GetParam().taken) << GetParam().name;
        }
    }
}

const std::string kLongValue = "Tooltip=\"first line\n" + ElementLines(30) + "last line\"";

INSTANTIATE_TEST_SUITE_P(
    Pages, SplitReadTest,
    testing::Values(
        SplitCase{"plain", PageAround(""), true},
        SplitCase{"text between icons", PageAround("loose text &amp; more\r\n"), true},
        SplitCase{"lines inside a value", PageAround("<Icon Name=\"long\" " + kLongValue + "/>\r\n"), false},
        SplitCase{"lines inside a comment", PageAround("<!--\n" + ElementLines(30) + "-->\r\n"), false},
        SplitCase{"lines inside CDATA", PageAround("<![CDATA[\n" + ElementLines(30) + "]]>\r\n"), false},
        SplitCase{"lines inside a child", PageAround("<Group>\n" + ElementLines(30) + "</Group>\r\n"), false},
        SplitCase{"nameless property after the middle", PageAround(ElementLines(30) + "<Icon x:=\"y\"/>\r\n"), true},
        SplitCase{"root end tag wrong", PageAround("", "</Pages>\r\n"), true},
        SplitCase{"cut off", PageAround("", "<Icon Name=\"cut"), true},
        SplitCase{"bad byte after the middle", PageAround(ElementLines(30) + "<Icon Name=\"x\" ?/>\r\n"), true},
        SplitCase{"unclosed child after the middle", PageAround(ElementLines(30) + "<Icon Name=\"x\">\r\n"), true},
        SplitCase{"end tag wrong before the middle", PageAround("<A></B>\r\n" + ElementLines(30)), false},
        SplitCase{"trailing text after the root", PageAround("", "</Page>\r\ntrailer\r\n"), true}),
    [](const testing::TestParamInfo<SplitCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

} // namespace
