#include "support/xml/SimpleXml.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

constexpr int kVeryDeep = 100000;

// A chain of elements kVeryDeep levels below the root, built through the API.
void BuildChain(TSimpleXML& doc)
{
    doc.Root().SetName("r");
    TSimpleXMLElem* current = &doc.Root();
    for (int i = 0; i < kVeryDeep; ++i)
        current = current->Items().Add("e");
}

TEST(SimpleXmlModel, DocumentDefaults)
{
    TSimpleXML doc;
    EXPECT_EQ(doc.Options(), (TSimpleXMLOptions{sxoAutoIndent, sxoAutoEncodeValue, sxoAutoEncodeEntity}));
    EXPECT_EQ(doc.IndentString(), "  ");
    EXPECT_EQ(doc.FileName(), "");
    EXPECT_EQ(doc.Prolog().Count(), 0);
    EXPECT_EQ(doc.Root().Document(), &doc);
    EXPECT_FALSE(doc.OnDecodeValue);
    EXPECT_FALSE(doc.OnEncodeValue);
}

TEST(SimpleXmlModel, SwapContentKeepsEachDocumentsSettings)
{
    TSimpleXML kept;
    kept.LoadFromString("<?xml version=\"1.0\"?><old a=\"1\"><x/></old>");
    TSimpleXML read;
    read.SetIndentString("");
    read.OnEncodeValue = [](std::string& value) { value += "!"; };
    read.LoadFromString("<new b=\"2\"><y/><z/></new>");
    kept.SwapContent(read);
    EXPECT_EQ(kept.Root().Name(), "new");
    EXPECT_EQ(kept.Root().ItemCount(), 2);
    EXPECT_EQ(kept.Prolog().Count(), 0);
    EXPECT_EQ(read.Root().Name(), "old");
    EXPECT_EQ(read.Prolog().Count(), 1);
    // Each root reports to the document that now holds it; hooks and indentation stay put.
    EXPECT_EQ(kept.Root().Document(), &kept);
    EXPECT_EQ(read.Root().Items().Item(0)->Document(), &read);
    EXPECT_EQ(kept.IndentString(), "  ");
    EXPECT_FALSE(kept.OnEncodeValue);
    EXPECT_TRUE(read.OnEncodeValue);
}

TEST(SimpleXmlModel, IndentStringAcceptsOnlySpacesAndTabs)
{
    TSimpleXML doc;
    doc.SetIndentString("ab");
    EXPECT_EQ(doc.IndentString(), "  ");
    doc.SetIndentString("\t");
    EXPECT_EQ(doc.IndentString(), "\t");
    doc.SetIndentString(" \n");
    EXPECT_EQ(doc.IndentString(), "\t");
    doc.SetIndentString("");
    EXPECT_EQ(doc.IndentString(), "");
}

TEST(SimpleXmlModel, NamesIgnoreEmptyAssignments)
{
    TSimpleXML doc;
    TSimpleXMLElem* elem = doc.Root().Items().Add("a");
    elem->SetName("");
    EXPECT_EQ(elem->Name(), "a");
    TSimpleXMLProp* prop = elem->Properties().Add("Name", "v");
    prop->SetName("");
    EXPECT_EQ(prop->Name(), "Name");
    prop->SetName("Tooltip");
    EXPECT_EQ(prop->Name(), "Tooltip");
    EXPECT_EQ(prop->Parent(), &elem->Properties());
}

TEST(SimpleXmlModel, ItemNamedFindsTheFirstMatchRegardlessOfCase)
{
    TSimpleXML doc;
    doc.LoadFromString("<a Name='first' NAME='second' other='x'/>");
    TSimpleXMLProps& props = doc.Root().Properties();
    ASSERT_NE(props.ItemNamed("name"), nullptr);
    EXPECT_EQ(props.ItemNamed("name")->Value(), "first");
    EXPECT_EQ(props.Count(), 3);
    EXPECT_EQ(props.ItemNamed("missing"), nullptr);
    EXPECT_EQ(props.Value("missing", "fallback"), "fallback");
    EXPECT_EQ(props.Count(), 3) << "lookups create nothing without sxoAutoCreate";
    props.Add("other", "y");
    EXPECT_EQ(props.Count(), 4) << "Add does not check for an existing name";
    EXPECT_EQ(props.Value("OTHER"), "x");
}

TEST(SimpleXmlModel, AutoCreateAppendsMissingProperties)
{
    TSimpleXML doc;
    doc.Options().Include(sxoAutoCreate);
    TSimpleXMLElem* elem = doc.Root().Items().Add("a");
    TSimpleXMLProp* created = elem->Properties().ItemNamed("x");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Value(), "");
    EXPECT_EQ(elem->Properties().Value("y", "dflt"), "dflt");
    ASSERT_EQ(elem->Properties().Count(), 2);
    EXPECT_EQ(elem->Properties().Item(1)->Value(), "dflt");

    TSimpleXMLElemClassic detached;
    EXPECT_EQ(detached.Properties().ItemNamed("x"), nullptr) << "an item without a document creates nothing";
}

TEST(SimpleXmlModel, ChildListOperations)
{
    TSimpleXML doc;
    TSimpleXMLElems& items = doc.Root().Items();
    TSimpleXMLElemClassic* a = items.Add("a");
    items.Add("b");
    items.Add("c");
    EXPECT_EQ(a->Parent(), &doc.Root());
    EXPECT_EQ(a->Container(), &items);
    EXPECT_EQ(a->Document(), &doc);
    EXPECT_EQ(items.Item(3), nullptr);
    EXPECT_EQ(items.Item(-1), nullptr);
    items.Delete(3);
    items.Delete(-1);
    EXPECT_EQ(items.Count(), 3);
    items.Delete(1);
    ASSERT_EQ(items.Count(), 2);
    EXPECT_EQ(items.Item(1)->Name(), "c");
    items.Clear();
    EXPECT_EQ(items.Count(), 0);
}

TEST(SimpleXmlModel, ClearFreesContentButKeepsNameAndValue)
{
    TSimpleXML doc;
    doc.LoadFromString("<a p='1'><b/></a>");
    doc.Root().SetValue("v");
    doc.Root().Clear();
    EXPECT_EQ(doc.Root().Name(), "a");
    EXPECT_EQ(doc.Root().Value(), "v");
    EXPECT_EQ(doc.Root().ItemCount(), 0);
    EXPECT_EQ(doc.Root().Properties().Count(), 0);
}

TEST(SimpleXmlModel, LoadingReplacesTheTree)
{
    TSimpleXML doc;
    doc.LoadFromString("<?xml version='1.0'?><a p='1'><b/><c/></a>");
    doc.LoadFromString("<x/>");
    EXPECT_EQ(doc.Root().Name(), "x");
    EXPECT_EQ(doc.Root().ItemCount(), 0);
    EXPECT_EQ(doc.Root().Properties().Count(), 0);
    EXPECT_EQ(doc.Prolog().Count(), 0);
}

// Reloading a used document with nothing after the prolog must not bring back the previous root's
// value or prefix; the name stays, as the parser never reached a tag.
class ReloadWithoutRoot : public testing::TestWithParam<const char*> {};

TEST_P(ReloadWithoutRoot, ClearsValueAndNamespace)
{
    TSimpleXML doc;
    doc.LoadFromString("<p:a x='1'>text</p:a>");
    ASSERT_EQ(doc.Root().Value(), "text");
    ASSERT_EQ(doc.Root().NameSpace(), "p");
    doc.LoadFromString(GetParam());
    EXPECT_EQ(doc.Root().Value(), "");
    EXPECT_EQ(doc.Root().NameSpace(), "");
    EXPECT_EQ(doc.Root().Name(), "a");
    EXPECT_EQ(doc.Root().Properties().Count(), 0);
    EXPECT_EQ(doc.Root().ItemCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(SimpleXmlModel, ReloadWithoutRoot,
                         testing::Values("", "  \r\n\t", "<?xml version='1.0'?>",
                                         "<?xml version='1.0'?>\r\n<!-- only a comment -->\r\n"));

TEST(SimpleXmlModel, AssignMakesADeepCopy)
{
    TSimpleXML doc;
    doc.LoadFromString("<a p='1'><b q:r='2'>v</b><!--c--></a>");
    TSimpleXMLElemClassic copy;
    copy.Assign(doc.Root());
    EXPECT_EQ(copy.Name(), "a");
    ASSERT_EQ(copy.ItemCount(), 2);
    EXPECT_EQ(copy.Items().Item(0)->Value(), "v");
    EXPECT_EQ(copy.Items().Item(0)->Properties().Item(0)->NameSpace(), "q");
    EXPECT_EQ(copy.Items().Item(1)->Kind(), TSimpleXMLElemKind::Comment);
    EXPECT_EQ(copy.Items().Item(0)->Parent(), &copy);

    doc.Root().Assign(*doc.Root().Items().Item(0));
    EXPECT_EQ(doc.Root().Name(), "b") << "copying an item of its own subtree";
    EXPECT_EQ(doc.Root().Value(), "v");
    EXPECT_EQ(doc.Root().ItemCount(), 0);
}

TEST(SimpleXmlModel, VeryDeepTreesAreWrittenCopiedAndFreedWithoutRecursion)
{
    auto doc = std::make_unique<TSimpleXML>();
    BuildChain(*doc);
    doc->Options().Exclude(sxoAutoIndent);
    const std::string written = doc->SaveToString();
    EXPECT_EQ(written.size(), std::string("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<r>\r\n</r>\r\n").size()
                                  + (kVeryDeep - 1) * std::string("<e>\r\n</e>\r\n").size() + std::string("<e/>\r\n").size());
    TSimpleXMLElemClassic copy;
    copy.Assign(doc->Root());
    copy.Items().Delete(0);
    doc.reset();
}

// Parsed objects share large blocks of memory; a block must stay until its last object goes,
// whichever order the objects are freed in and whether or not they were made by the parser.
TEST(SimpleXmlModel, ParsedItemsFreedInAnyOrderKeepTheOthersIntact)
{
    constexpr int kElements = 3000; // several blocks' worth of items and properties
    std::string page = "<r>";
    for (int i = 0; i < kElements; ++i)
        page += "<e n='" + std::to_string(i) + "' long='value long enough to need memory of its own'/>";
    page += "</r>";
    auto doc = std::make_unique<TSimpleXML>();
    doc->LoadFromString(page);
    TSimpleXMLElems& items = doc->Root().Items();
    for (int i = kElements - 1; i >= 0; i -= 2)
        items.Delete(i);
    items.Item(0)->Properties().Delete(0);
    items.Item(1)->Properties().Add("added", "x");
    items.Add("made")->Properties().Add("n", "api");
    ASSERT_EQ(items.Count(), kElements / 2 + 1);

    TSimpleXMLElemClassic copy;
    copy.Assign(*items.Item(2));
    doc->LoadFromString("<other/>");
    EXPECT_EQ(copy.Properties().Value("n"), "4");
    EXPECT_EQ(items.Count(), 0);

    doc->LoadFromString(page);
    TSimpleXMLElem* last = doc->Root().Items().Item(kElements - 1);
    doc->Root().Items().Delete(0);
    EXPECT_EQ(last->Properties().Value("n"), std::to_string(kElements - 1));
    EXPECT_EQ(last->Properties().Value("long"), "value long enough to need memory of its own");
    doc.reset();
}

// A zone page left is kept by moving its items to another element while the document that read
// them goes; shown again, they move once more. Each move must make the new owner the parent:
// copying an item walks its parents, and a parent left behind was freed with its document.
TEST(SimpleXmlModel, ItemsMovedBetweenListsTakeTheirNewParent)
{
    auto kept = std::make_unique<TSimpleXMLElemClassic>(nullptr);
    {
        TSimpleXML read;
        read.LoadFromBuffer("<page><Icon Name='a' Tooltip='Hunter&apos;s'/><Icon Name='b'/></page>");
        while (read.Root().ItemCount() > 0)
            kept->Items().Append(read.Root().Items().Take(0));
    }
    TSimpleXML shown;
    while (kept->ItemCount() > 0)
        shown.Root().Items().Insert(shown.Root().ItemCount(), kept->Items().Take(0));
    kept.reset();
    ASSERT_EQ(shown.Root().ItemCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(shown.Root().Items().Item(i)->Parent(), &shown.Root());
        EXPECT_EQ(shown.Root().Items().Item(i)->Document(), &shown);
    }
    TSimpleXMLElemClassic copy;
    copy.Assign(*shown.Root().Items().Item(0));
    EXPECT_EQ(copy.Properties().Value("Tooltip"), "Hunter's");
    std::unique_ptr<TSimpleXMLElem> taken = shown.Root().Items().Take(1);
    EXPECT_EQ(taken->Parent(), nullptr);
}

// A big page left is freed on another thread while this one frees and makes items of its own
// page; blocks are shared by the items of one parse, so their counts must bear both.
TEST(SimpleXmlModel, ItemsOfOneParseFreedOnTwoThreads)
{
    constexpr int kElements = 20000;
    std::string page = "<r>";
    for (int i = 0; i < kElements; ++i)
        page += "<e n='" + std::to_string(i) + "'/>";
    page += "</r>";
    for (int round = 0; round < 4; ++round) {
        auto doc = std::make_unique<TSimpleXML>();
        doc->LoadFromBuffer(page);
        // Every other item goes to this thread's list; the rest go with the document.
        TSimpleXMLElemClassic mine;
        TSimpleXMLElems& items = doc->Root().Items();
        for (int i = items.Count() - 1; i >= 0; i -= 2)
            mine.Items().Append(items.Take(i));
        std::thread other([left = std::move(doc)]() mutable { left.reset(); });
        while (mine.ItemCount() > 0)
            mine.Items().Delete(mine.ItemCount() - 1);
        other.join();
    }
    SUCCEED();
}

} // namespace
