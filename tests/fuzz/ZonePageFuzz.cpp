// libFuzzer target: any bytes as a file of zone pages. Every page shown and saved unchanged must
// give the file back byte for byte; an icon added to each page and then saved must read back as
// one more icon there, with every other page's icons as they were.

#include "support/IconPageXml.h"
#include "support/ZonePageFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string original(reinterpret_cast<const char*>(data), size);
    try {
        ZonePageFile file(original);
        TSimpleXML document;
        ConfigureIconPageXml(document);
        for (int page = 0; page < static_cast<int>(file.pages().size()); ++page) {
            try {
                file.show(page, document);
            } catch (const ESimpleXMLError&) {
                return 0;  // a page the icon page reader refuses is never shown
            }
            check(file.editedBytes(page, document.Root()) == original);
            file.stash(page, document);
        }
        if (file.pages().empty())
            return 0;
        file.show(0, document);
        const int before = ZonePageFile::IconCount(document.Root());
        document.Root().Items().Add("Icon")->Properties().Add("Name", "a&b\"c");
        const std::string edited = file.editedBytes(0, document.Root());
        ZonePageFile again(edited);
        check(again.pages().size() == file.pages().size());
        check(again.pages()[0].poiCount == before + 1);
        for (std::size_t page = 1; page < file.pages().size(); ++page)
            check(again.pages()[page].poiCount == file.pages()[page].poiCount);
    } catch (const XmlSpansError&) {
    }
    return 0;
}
