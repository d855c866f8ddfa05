// libFuzzer target: any bytes as a file of zone pages. Every page shown and saved unchanged must
// give the file back byte for byte. Then the first page is edited as a user would (a value set,
// an icon deleted, one added), saved, edited and saved again: every saved file must read again
// (a hard check: an edit that makes the file unreadable is a fault), hold the edited value and
// the icon counts, and leave every other page's icons as they were. The input's start and every
// world location of the pages, read as world locations, must write back in their own form to
// text that reads the same and writes the same again.

#include "mapview/WorldLocation.h"
#include "support/IconPageXml.h"
#include "support/ZonePageFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// A value built from the input's last bytes, of the characters that need care in a file:
// entities, quotes of both kinds, markup and blanks.
std::string valueFrom(const std::string& data)
{
    static const char kAlphabet[] = "a&<>\"' =/;Z";
    constexpr std::size_t kMaxLength = 6;
    std::string value = "v";
    for (std::size_t i = data.size() > kMaxLength ? data.size() - kMaxLength : 0; i < data.size(); ++i)
        value += kAlphabet[static_cast<unsigned char>(data[i]) % (sizeof kAlphabet - 1)];
    return value;
}

void checkWorldLocation(std::string_view text)
{
    const std::optional<WorldLocation> read = WorldLocation::Parse(text);
    const std::optional<std::string> written = read ? read->text(WorldLocation::Form::Own) : std::nullopt;
    if (!written)
        return;
    const std::optional<WorldLocation> again = WorldLocation::Parse(*written);
    check(again && again->separator == read->separator && again->middle == read->middle);
    check(again->text(WorldLocation::Form::Own) == written);
}

std::vector<int> counts(const ZonePageFile& file)
{
    std::vector<int> result;
    for (const ZonePageInfo& page : file.pages())
        result.push_back(page.poiCount);
    return result;
}

// The first icon of `root` that has a property `name`, or -1.
int firstWith(TSimpleXMLElem& root, const char* name)
{
    for (int i = 0; i < root.ItemCount(); ++i) {
        TSimpleXMLElem* item = root.Items().Item(i);
        if (item->Kind() == TSimpleXMLElemKind::Classic && item->PropertiesIfAny() && item->Properties().Find(name))
            return i;
    }
    return -1;
}

// The saved bytes read again as a file, page `page` shown: must work.
std::unique_ptr<ZonePageFile> reread(const std::string& bytes, const std::vector<int>& expected, int page,
                                     TSimpleXML& document)
{
    auto again = std::make_unique<ZonePageFile>(bytes);
    check(counts(*again) == expected);
    again->show(page, document);
    return again;
}

// Sets a value, deletes an icon and adds one on the page shown; returns the value set and
// updates the expected icon count of that page.
std::string edit(TSimpleXMLElem& root, const std::string& value, int& count)
{
    const int named = firstWith(root, "Name");
    if (named >= 0)
        root.Items().Item(named)->Properties().Find("Name")->SetValue(value);
    // The last icon goes, unless it is the one just edited.
    for (int i = root.ItemCount() - 1; i >= 0; --i) {
        if (i != named && root.Items().Item(i)->Kind() == TSimpleXMLElemKind::Classic) {
            root.Items().Delete(i);
            --count;
            break;
        }
    }
    root.Items().Add("Icon")->Properties().Add("Name", "a&b\"c");
    ++count;
    return named >= 0 ? value : std::string();
}

}  // namespace

namespace {

int runOne(const uint8_t* data, size_t size)
{
    const std::string original(reinterpret_cast<const char*>(data), size);
    constexpr std::size_t kLocationLength = 64;
    checkWorldLocation(std::string_view(original).substr(0, kLocationLength));
    std::unique_ptr<ZonePageFile> file;
    try {
        file = std::make_unique<ZonePageFile>(original);
    } catch (const XmlSpansError&) {
        return 0;
    }
    TSimpleXML document;
    ConfigureIconPageXml(document);
    for (int page = 0; page < static_cast<int>(file->pages().size()); ++page) {
        try {
            file->show(page, document);
        } catch (const ESimpleXMLError&) {
            return 0;  // a page the icon page reader refuses is never shown
        }
        check(file->editedBytes(page, document.Root()) == original);
        for (int i = 0; i < document.Root().ItemCount(); ++i) {
            const TSimpleXMLElem& icon = *document.Root().Items().Item(i);
            const TSimpleXMLProps* props = icon.PropertiesIfAny();
            for (int p = 0; props && p < props->Count(); ++p)
                checkWorldLocation(props->Item(p)->Value());
        }
        file->stash(page, document);
    }
    if (file->pages().empty())
        return 0;

    std::vector<int> expected = counts(*file);
    // In a file without any icon, which empty pages are zones depends on the file holding icons:
    // the first icon added makes it a file of POIs, so its pages are listed anew by design.
    if (std::all_of(expected.begin(), expected.end(), [](int count) { return count == 0; }))
        return 0;
    int shown = 0;
    file->show(shown, document);
    const std::string value = valueFrom(original);
    for (int round = 0; round < 2; ++round) {
        const std::string set = edit(document.Root(), value + std::to_string(round), expected[0]);
        std::string saved = file->editedBytes(shown, document.Root());
        TSimpleXML readBack;
        ConfigureIconPageXml(readBack);
        const std::unique_ptr<ZonePageFile> again = reread(saved, expected, shown, readBack);
        if (!set.empty()) {
            const int named = firstWith(readBack.Root(), "Name");
            check(named >= 0 && std::string(readBack.Root().Items().Item(named)->Properties().Find("Name")->Value()) == set);
        }
        // The save went through: the editor goes on from the saved bytes.
        shown = file->saved(std::move(saved), shown, document.Root());
        check(shown == 0);
        check(file->editedBytes(shown, document.Root()) == file->bytes());
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        return runOne(data, size);
    } catch (const std::exception& error) {
        // Any failure past the first read is a fault: say which before stopping.
        std::fprintf(stderr, "%s\n", error.what());
        __builtin_trap();
    }
}
