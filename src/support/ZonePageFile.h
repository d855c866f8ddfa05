#pragma once
// A file that holds POIs in zone pages nested inside it: the game's map window file (icons laid
// out by their top-left corner) and the map pack's POI files (icons known by their world location
// alone). The file is one document; the editor shows one zone page at a time as an icon page
// whose root is the zone page and whose POIs are its Icon children. A save splices the edits into
// the file's bytes: every byte that was not edited stays as it was.

#include "support/XmlSpans.h"
#include "support/xml/SimpleXml.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The tags and names the zone pages of a file are found by.
namespace ZonePageNames {
inline constexpr std::string_view kPageTag = "Page";
inline constexpr std::string_view kIconTag = "Icon";
// A map links file's labels: POIs beside its icons there, with their text as content.
inline constexpr std::string_view kTextTag = "Text";
// The map a link leads to; an icon or label carrying it makes the file a map links file.
inline constexpr std::string_view kMapLinkProperty = "PoiMapLink";
inline constexpr std::string_view kIconsPageName = "Icons";
inline constexpr std::string_view kNameProperty = "Name";
inline constexpr std::string_view kLocationProperty = "Location";
}  // namespace ZonePageNames

// One zone page of the file.
struct ZonePageInfo {
    std::string name;  // its Name, decoded as an icon page value
    int poiCount = 0;  // its Icon children as last read or edited
};

// The file as read: its bytes, the spans into them and where its zone pages lie. Built whole
// before it replaces the one in use, so no span ever points into bytes that are gone.
struct ZonePageLayout {
    // A zone page's place in any version of the file: the tags and names of the elements from
    // the root down to it, and how many pages of that path come before it.
    struct Key {
        std::vector<std::string> path;
        int occurrence = 0;
        bool operator==(const Key& other) const { return path == other.path && occurrence == other.occurrence; }
    };
    struct PathHash {
        std::size_t operator()(const std::vector<std::string>& path) const;
    };

    std::string bytes;
    XmlSpans spans;
    std::vector<ZonePageInfo> pages;
    std::vector<int> pageElements;  // the span element of each zone page
    std::vector<Key> pageKeys;
    // The zone pages by the hash of their key: a save or a reload finds each page without
    // comparing it to every other.
    std::unordered_multimap<std::size_t, int> pagesByKeyHash;
    bool worldOnly = false;
    // Whether a Page stands inside another element: a UI file, never an icon page.
    bool nestsPages = false;
    // Whether an Icon or Text child of a page carries a PoiMapLink: a map links file, whose Text
    // children are POIs as its icons are. Kept from the file first read, so that deleting every
    // link does not turn its labels into bytes the editor no longer shows.
    bool mapLinks = false;

    // Reads `text`; throws XmlSpansError. The zone pages are those the rules find, and also the
    // pages of `previous` still found by their key (a page whose last icon was deleted stays).
    static std::unique_ptr<ZonePageLayout> Read(std::string text, const ZonePageLayout* previous = nullptr);
    // The zone page of that key, or -1.
    int find(const Key& key) const;
    // Whether elements of that tag are the POIs of a page: Icon, and Text in a map links file.
    bool isPoiTag(std::string_view tag) const;
    // The POI children of an element (its icons, and its labels in a map links file).
    std::vector<int> iconsOf(int element) const;
    // The bytes of a span element.
    std::string_view textOf(int element) const;
};

class ZonePageFile {
public:
    // Whether bytes that parse as an icon page should rather open as zone pages: they hold a
    // nested Page element. Cheap; ZonePageFile itself decides for sure.
    static bool MayHoldZonePages(std::string_view bytes);

    // Reads the file; throws XmlSpansError when its elements do not nest.
    explicit ZonePageFile(std::string bytes);

    // Every Page below the root that holds Icon children, every Page child of a Page named
    // "Icons", and every Page without child elements whose parent holds nothing but Pages and
    // Icons (so that a zone without icons can get its first; in a file with no Icon and no page
    // "Icons", only such a page with no property but its Name), in document order; never the
    // page "Icons" itself (the game's templates, not a map).
    const std::vector<ZonePageInfo>& pages() const { return m_file->pages; }
    // The first zone page of that name (compared exactly), or -1.
    int findPage(std::string_view name) const;
    // True when no Icon of the file has a Location: its POIs are placed by world location alone.
    // A file without icons is world-only unless it has a page "Icons" (the map window file).
    bool worldOnly() const { return m_file->worldOnly; }
    // An icon of zone page `page` as the file writes it: its own bytes while unedited, else as a
    // new icon there (its siblings' quoting and close).
    std::string iconText(int page, const TSimpleXMLElem& icon) const;
    // Whether a Page stands inside another element (not only after the root).
    bool nestsPages() const { return m_file->nestsPages; }
    // A map links file: its pages hold links to other maps, as labels (Text) and icons.
    bool mapLinks() const { return m_file->mapLinks; }
    const std::string& bytes() const { return m_file->bytes; }

    // Fills `document` (its root cleared) with zone page `page`: as edited when it was shown
    // before, else as read: a root element with the zone page's properties holding its Icon
    // children, values decoded as on icon pages.
    void show(int page, TSimpleXML& document);
    // Keeps what `document` holds for zone page `page` (as edited) until it is shown again or
    // saved; `document`'s root is left empty.
    void stash(int page, TSimpleXML& document);

    // The file's bytes with the edits of every zone page: the stashed ones, and `shownPage` as
    // `shown` holds it. Throws std::runtime_error when an edit cannot be placed.
    std::string editedBytes(int shownPage, const TSimpleXMLElem& shown) const;
    // After `bytes` (from editedBytes) were written: they become the file as read, and the
    // edited pages (the stashed ones and `shown`) refer to their new places in them, found by
    // their path of names. Returns the shown page's new index. Throws, changing nothing, when
    // the bytes do not read or lost a page.
    int saved(std::string bytes, int shownPage, TSimpleXMLElem& shown);
    // The file changed on disk to `bytes`: where every page the editor holds (`shownPage` and
    // those stashed) is found by its path of names with the same start tag and the same icons,
    // icon by icon, `bytes` become the file as read and the edits stay to be spliced into them
    // (`shownPage` becomes the shown page's new index). False, changing nothing, otherwise.
    bool rebase(std::string bytes, int& shownPage);
    // Whether any page holds an edit: the stashed ones, and `shownPage` as `shown` holds it.
    bool hasEdits(int shownPage, const TSimpleXMLElem& shown) const;

    // The line of the file as read where the icon's element begins; nothing for an icon the
    // file does not hold (added since it was read or saved).
    std::optional<int> lineOf(const TSimpleXMLElem& icon) const;

    // The largest n of an Icon named "ID<n>" in the file as read and among the children of
    // `shown` (the page shown, as edited), or 0: new world-only icons continue the numbering.
    long long largestIconId(const TSimpleXMLElem& shown) const;
    // How many Icons of the file as read hold each raw value of property `name` (letter case of
    // the name ignored): a pack's vocabulary without reading its pages.
    std::map<std::string, int, std::less<>> iconValueUses(std::string_view name) const;
    // The icons (elements) among the children of an editing root.
    static int IconCount(const TSimpleXMLElem& root);
    // The properties of the page's first Icon, in file order: the form of a new icon.
    std::vector<std::pair<std::string, std::string>> iconTemplate(int page) const;

private:
    // Moves the editor's hold on pages and icons to `next`: `pageMap[i]` is the new index of
    // zone page i, `elementMap` the new index of each old span element (-1: gone).
    void adopt(std::unique_ptr<ZonePageLayout> next, const std::vector<int>& pageMap,
               const std::vector<int>& elementMap);
    // The new index of each zone page of the file in `next`, found by key; empty when one is missing.
    std::vector<int> pageMapTo(const ZonePageLayout& next) const;
    struct Edit {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::string text;
    };
    const XmlSpanElement& pageElement(int page) const;
    std::vector<int> iconsOf(int element) const { return m_file->iconsOf(element); }
    // The indentation of a new child line of a page element.
    std::string childIndent(int pageElementIndex) const;
    // An icon whose form a new icon copies: the page's first, else the file's first.
    const XmlSpanElement* siblingIcon(const std::vector<int>& icons) const;
    void addAtPageEnd(const XmlSpanElement& page, const std::string& lines, std::vector<Edit>& edits) const;
    void tagIcons(int page, TSimpleXMLElem& root);
    void addPageEdits(int page, const TSimpleXMLElem& root, std::vector<Edit>& edits) const;
    // The properties as the icon page reader gave them when shown: what an edit is told from.
    using Snapshot = std::vector<std::pair<std::string, std::string>>;
    static Snapshot snapshotOf(const TSimpleXMLElem& element);
    // Edits that make the start tag of `original` hold `current`'s properties; false when the
    // reader saw other properties than the span (a tag it reads its own way), so that the
    // caller writes the element anew.
    bool addPropertyEdits(const XmlSpanElement& original, const Snapshot& shown, const TSimpleXMLElem& current,
                          std::vector<Edit>& edits) const;
    // " name=\"value\"" for each property, values encoded as on icon pages.
    std::string propertyText(const TSimpleXMLElem& element) const;
    std::string newIconText(const TSimpleXMLElem& icon, const XmlSpanElement* sibling) const;
    int originOf(const TSimpleXMLElem& icon) const;
    // A value as the file wrote it where its form is not ours (a raw apostrophe, a character
    // reference): an unchanged value, undone after a save, is written with its bytes as read.
    void rememberRawForms(const XmlSpanElement& icon);
    std::string valueText(const std::string& value) const;

    std::unique_ptr<ZonePageLayout> m_file;
    // Each Icon shown in an editing root carries a serial in its data pointer; the serial names
    // the span element it came from. A serial not in the map (an icon added, or one taken out
    // before a save and put back after it) is written as a new icon.
    struct Origin {
        int element = -1;
        Snapshot shown;
    };
    std::unordered_map<std::uintptr_t, Origin> m_origins;
    std::map<int, Snapshot> m_pageSnapshots;  // each shown zone page's own properties
    std::uintptr_t m_nextSerial = 1;
    std::unordered_map<std::string, std::string> m_rawForms;
    // Where each line of the file as read begins, made when a line is first asked.
    mutable std::vector<std::size_t> m_lineStarts;  // decoded value -> bytes as read
    std::map<int, std::unique_ptr<TSimpleXMLElem>> m_stashed;
};
