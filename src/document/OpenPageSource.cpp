// Telling the kind of a file named to open, from the bytes read once.
#include "document/IconPageFile.h"
#include "document/PageSource.h"
#include "support/AtomicFile.h"
#include "support/MapStyleFile.h"
#include "support/ZonePageFile.h"

namespace {

const char* const kNoZonePage = "the file holds pages inside pages, but none of them is a page of icons";
const char* const kMapStyles = "a map style file, not a page of POIs";

// Bytes that hold no zone page: an icon page for its reader, unless they are the map style file,
// whose styles the icon page reader would take for POIs and whose save would rewrite them.
void iconPageOrRefusal(OpenedPageFile& opened, std::string bytes)
{
    if (IsMapStyleFile(bytes)) {
        opened.refusal = LoadingErrorText(kMapStyles);
        return;
    }
    opened.source = IconPageSource();
    opened.unread = std::move(bytes);
}

}  // namespace

std::unique_ptr<PageSource> ZonePageSource(std::unique_ptr<ZonePageFile> file)
{
    // No icon of the file has a Location: its POIs are placed by world location alone.
    if (file->worldOnly())
        return WorldZonePageSource(std::move(file));
    return LaidOutZonePageSource(std::move(file));
}

OpenedPageFile OpenPageSource(const std::string& path)
{
    OpenedPageFile opened;
    std::string bytes;
    if (AtomicFile::readWhole(path, bytes) != AtomicFile::ReadResult::Ok) {
        opened.source = IconPageSource();
        return opened;
    }
    if (!ZonePageFile::MayHoldZonePages(bytes)) {
        iconPageOrRefusal(opened, std::move(bytes));
        return opened;
    }
    try {
        auto file = std::make_unique<ZonePageFile>(std::move(bytes));
        if (file->mapLinks()) {
            opened.source = MapLinksSource(std::move(file), path);
        } else if (!file->pages().empty()) {
            opened.source = ZonePageSource(std::move(file));
        } else if (file->nestsPages()) {
            // Pages inside pages are a UI file, not an icon page: read as one, its save would
            // rewrite every widget of it in the icon page layout.
            opened.refusal = LoadingErrorText(kNoZonePage);
        } else {
            iconPageOrRefusal(opened, file->bytes());
        }
    } catch (const XmlSpansError& error) {
        opened.refusal = LoadingErrorText(error.what());
    }
    return opened;
}
