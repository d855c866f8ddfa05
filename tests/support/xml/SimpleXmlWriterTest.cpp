#include "support/xml/SimpleXml.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <csignal>
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

const std::string kDefaultDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n";

std::string Rewritten(const std::string& input, TSimpleXMLOptions options = {sxoAutoIndent, sxoAutoEncodeValue,
                                                                              sxoAutoEncodeEntity})
{
    TSimpleXML doc;
    doc.SetOptions(options);
    doc.LoadFromString(input);
    return doc.SaveToString();
}

// A stream that accepts only a limited number of bytes, like a full disk.
class FullStream : public TMemoryStream {
public:
    explicit FullStream(std::size_t room) : FRoom(room) {}
    std::size_t Write(const void* buffer, std::size_t count) override
    {
        const std::size_t n = std::min(count, FRoom);
        FRoom -= n;
        return TMemoryStream::Write(buffer, n);
    }

private:
    std::size_t FRoom;
};

TEST(SimpleXmlWriter, DocumentWithoutDeclarationGetsTheDefaultOne)
{
    TSimpleXML doc;
    doc.LoadFromString("<a/>");
    EXPECT_EQ(doc.SaveToString(), kDefaultDeclaration + "<a/>\r\n");
    ASSERT_EQ(doc.Prolog().Count(), 1);
    EXPECT_EQ(doc.Prolog().Item(0)->Kind(), TSimpleXMLElemKind::Header);
    EXPECT_EQ(doc.Prolog().Item(0)->Name(), "xml");
}

TEST(SimpleXmlWriter, NewDeclarationGoesAfterExistingPrologItems)
{
    EXPECT_EQ(Rewritten("<!--c--><a/>"), "<!--c-->\r\n" + kDefaultDeclaration + "<a/>\r\n");
}

TEST(SimpleXmlWriter, NewEmptyDocumentWritesOnlyTheDeclaration)
{
    TSimpleXML doc;
    EXPECT_EQ(doc.SaveToString(), kDefaultDeclaration);
}

TEST(SimpleXmlWriter, IndentsChildrenOnlyWithAutoIndent)
{
    const std::string tree = "<a><b><c/></b></a>";
    EXPECT_EQ(Rewritten(tree), kDefaultDeclaration + "<a>\r\n  <b>\r\n    <c/>\r\n  </b>\r\n</a>\r\n");
    EXPECT_EQ(Rewritten(tree, {sxoAutoEncodeValue}), kDefaultDeclaration + "<a>\r\n<b>\r\n<c/>\r\n</b>\r\n</a>\r\n");

    TSimpleXML doc;
    doc.SetIndentString("\t");
    doc.LoadFromString(tree);
    EXPECT_EQ(doc.SaveToString(), kDefaultDeclaration + "<a>\r\n\t<b>\r\n\t\t<c/>\r\n\t</b>\r\n</a>\r\n");
}

TEST(SimpleXmlWriter, ElementsWithoutContentAreWrittenEmpty)
{
    EXPECT_EQ(Rewritten("<a></a>"), kDefaultDeclaration + "<a/>\r\n");
}

TEST(SimpleXmlWriter, PropertiesUseDoubleQuotesAndTheValueCodec)
{
    EXPECT_EQ(Rewritten("<a b='x' c='say \"hi\"' d=''/>"),
              kDefaultDeclaration + "<a b=\"x\" c=\"say &quot;hi&quot;\" d=\"\"/>\r\n");
    EXPECT_EQ(Rewritten("<p:a q:b='1'/>"), kDefaultDeclaration + "<p:a q:b=\"1\"/>\r\n");
}

TEST(SimpleXmlWriter, ValueGoesOnTheLineOfItsTags)
{
    TSimpleXML doc;
    doc.Root().SetName("a");
    doc.Root().Properties().Add("x", "1");
    doc.Root().Properties().Add("y", "2");
    doc.Root().SetValue("v");
    EXPECT_EQ(doc.SaveToString(), kDefaultDeclaration + "<a x=\"1\" y=\"2\">v</a>\r\n");
    doc.Root().Items().Add("b");
    EXPECT_EQ(doc.SaveToString(), kDefaultDeclaration + "<a x=\"1\" y=\"2\">\r\n  <b/>\r\n</a>\r\n")
        << "the value of an element with child items is not written";
}

TEST(SimpleXmlWriter, DeclarationKeepsWhatWasRead)
{
    EXPECT_EQ(Rewritten("<?xml version=\"1.0\" standalone=\"yes\"?><a/>"),
              "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n<a/>\r\n");
    EXPECT_EQ(Rewritten("<?xml encoding='UTF-8'?><a/>"), "<?xml version=\"\" encoding=\"UTF-8\"?>\r\n<a/>\r\n");
}

TEST(SimpleXmlWriter, EveryItemKind)
{
    const std::string input = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                              "<?xml-stylesheet type=\"text/xsl\" href=\"a&amp;b\"?>\r\n"
                              "<!DOCTYPE r>\r\n"
                              "<r>\r\n"
                              "  <!-- note &amp; -->\r\n"
                              "  <![CDATA[<raw>]]>\r\n"
                              "  text &amp; more\r\n"
                              "  <e/>\r\n"
                              "</r>\r\n";
    EXPECT_EQ(Rewritten(input), input);
}

TEST(SimpleXmlWriter, ElementWithoutNameWritesOnlyItsChildren)
{
    TSimpleXML doc;
    doc.Root().Items().Add("b");
    EXPECT_EQ(doc.SaveToString(), kDefaultDeclaration + "  <b/>\r\n");
}

TEST(SimpleXmlWriter, RoundTripsAreStable)
{
    const char* inputs[] = {
        "<a>x<b/>y</a>",
        "<a>\r\n  one  \r\n  <b>inner  </b>\r\n  two\r\n  <!--c-->\r\n</a>",
        "<a v='&#xE9;&amp;&lt;'>  keeps trailing blanks  </a>",
        "<a><b><c>deep</c></b><d/></a>",
    };
    for (const char* input : inputs) {
        const std::string once = Rewritten(input);
        EXPECT_EQ(Rewritten(once), once) << input;
    }
}

TEST(SimpleXmlWriter, ItemWritesItselfAndItsSubtree)
{
    TSimpleXML doc;
    doc.LoadFromString("<a><b x='&lt;'><c/></b></a>");
    TMemoryStream stream;
    doc.Root().Items().Item(0)->SaveToStream(stream, "  ");
    EXPECT_EQ(stream.Bytes(), "  <b x=\"&lt;\">\r\n    <c/>\r\n  </b>\r\n");
}

TEST(SimpleXmlWriter, ShortWriteIsReported)
{
    TSimpleXML doc;
    doc.LoadFromString("<a/>");
    FullStream full(10);
    EXPECT_THROW(doc.SaveToStream(full), EWriteError);
}

TEST(SimpleXmlWriter, WhatWasWrittenBeforeAFailingHookStays)
{
    TSimpleXML doc;
    doc.LoadFromString("<a><b v='1'/><c v='2'/></a>");
    doc.OnEncodeValue = [](std::string& value) {
        if (value == "2")
            throw std::runtime_error("hook");
    };
    TMemoryStream stream;
    EXPECT_THROW(doc.SaveToStream(stream), std::runtime_error);
    EXPECT_EQ(stream.Bytes(), kDefaultDeclaration + "<a>\r\n  <b v=\"1\"/>\r\n  <c");
}

class SimpleXmlSaveToFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        FFolder = std::filesystem::temp_directory_path()
            / ("simplexml-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(FFolder);
    }
    void TearDown() override
    {
        std::filesystem::permissions(FFolder, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(FFolder);
    }
    std::string Path(const char* name) const { return (FFolder / name).string(); }
    static std::string Read(const std::string& path) { return ReadWholeFile(path); }

    std::filesystem::path FFolder;
};

TEST_F(SimpleXmlSaveToFile, WritesAndReadsBack)
{
    TSimpleXML doc;
    doc.LoadFromString("<a b='1'/>");
    doc.SaveToFile(Path("out.xml"));
    EXPECT_EQ(Read(Path("out.xml")), kDefaultDeclaration + "<a b=\"1\"/>\r\n");
    TSimpleXML again;
    again.SetFileName(Path("out.xml"));
    EXPECT_EQ(again.FileName(), Path("out.xml"));
    EXPECT_EQ(again.Root().Properties().Value("b"), "1");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FFolder), {}), 1) << "no temporary file left";
}

// Owner, group and mode bits, the size limit and folder permissions are Linux's: the Windows
// counterparts are in PortableFilesTest.cpp.
#ifndef _WIN32
TEST_F(SimpleXmlSaveToFile, ReplacesKeepingPermissions)
{
    const std::string path = Path("keep.xml");
    std::ofstream(path) << "old contents";
    ::chmod(path.c_str(), 0640);
    TSimpleXML doc;
    doc.LoadFromString("<new/>");
    doc.SaveToFile(path);
    EXPECT_EQ(Read(path), kDefaultDeclaration + "<new/>\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(SimpleXmlSaveToFile, FailedWriteLeavesTheOldFileIntact)
{
    const std::string path = Path("old.xml");
    std::ofstream(path) << "old contents";
    TSimpleXML doc;
    doc.LoadFromString("<new long='" + std::string(1000, 'x') + "'/>");
    // A file size limit makes the write fail as a full disk would, whatever the user's rights.
    constexpr rlim_t kSizeLimit = 100;
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = kSizeLimit;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_THROW(doc.SaveToFile(path), EWriteError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(Read(path), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FFolder), {}), 1) << "temporary file removed";
}

TEST_F(SimpleXmlSaveToFile, UnwritableFolderLeavesTheOldFileIntact)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const std::string path = Path("old.xml");
    std::ofstream(path) << "old contents";
    std::filesystem::permissions(FFolder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    TSimpleXML doc;
    doc.LoadFromString("<new/>");
    try {
        doc.SaveToFile(path);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
    }
    EXPECT_EQ(Read(path), "old contents");
}
#endif

TEST_F(SimpleXmlSaveToFile, MissingFileRaisesTheOpenError)
{
    TSimpleXML doc;
    try {
        doc.LoadFromFile(Path("missing.xml"));
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + Path("missing.xml"));
    }
}

} // namespace
