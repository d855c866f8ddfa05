#pragma once
// What every zone page inside a file shares, whatever the file: the file is the document, one
// zone page is shown at a time, a save splices the edits into the file's bytes (ZonePageFile).
// The kinds of such files (map window file, POI file, map links file) derive from it.

#include "document/EditorSupport.h"
#include "document/PageSource.h"
#include "support/ZonePageFile.h"

#include <QFileInfo>

class ZonePageInFile : public PageSource {
public:
    explicit ZonePageInFile(std::unique_ptr<ZonePageFile> file) : m_file(std::move(file)) {}

    bool offers(PageFeature feature) const override
    {
        switch (feature) {
        case PageFeature::PageList:
        case PageFeature::OwnTypeValues:
        case PageFeature::LocationField:
            return true;
        case PageFeature::AnyType:
        case PageFeature::Description:
        case PageFeature::NumberedNames:
        case PageFeature::LineBreakReferences:
        case PageFeature::SaveOptions:
        case PageFeature::AnchorOption:
        case PageFeature::OwnZoneName:
        case PageFeature::TypeSetsSize:
            break;
        }
        return false;
    }

    QString title(const QString& path) const override
    {
        return QFileInfo(path).fileName() + QLatin1Char('#') + fromDoc(pageName());
    }

    std::optional<std::string> shownPageName() const override
    {
        return m_page < 0 ? std::nullopt : std::optional<std::string>(pageName());
    }

    std::string poiText(const TSimpleXMLElem& poi) const override { return m_file->iconText(m_page, poi); }

    IconProperties newIconTemplate(const TSimpleXMLElem& root, int selected) const override
    {
        // Made like the selected icon, else the page's first, else the file's first.
        const TSimpleXMLElems* children = root.ItemsIfAny();
        const int index = selected >= 0 ? selected : 0;
        const TSimpleXMLElem* sibling = children && index < children->Count() ? children->Item(index) : nullptr;
        return sibling ? PropertiesOf(*sibling) : IconProperties(m_file->iconTemplate(m_page));
    }

    // Only the edited bytes change: the byte order mark and rearranging do not apply.
    bool prepareSave(TSimpleXML&, const EditorState&) override { return false; }

    std::string bytes(TSimpleXML& document, const EditorState&) const override
    {
        return m_file->editedBytes(m_page, document.Root());
    }

    void written(std::string bytes, TSimpleXMLElem& shown) override
    {
        try {
            m_page = m_file->saved(std::move(bytes), m_page, shown);
        } catch (const std::exception&) {
            // The file is written. Its new bytes did not read again, so the edits stay as
            // spliced into the bytes first read: the next save writes the same bytes again.
        }
    }

    bool holdsEdits(const TSimpleXMLElem& shown) const override { return m_file->hasEdits(m_page, shown); }
    bool rebase(std::string bytes) override { return m_file->rebase(std::move(bytes), m_page); }

    std::optional<int> lineOf(const TSimpleXMLElem& root, int poiIndex) const override
    {
        const TSimpleXMLElems* items = root.ItemsIfAny();
        const TSimpleXMLElem* poi = items ? items->Item(poiIndex) : nullptr;
        return poi ? m_file->lineOf(*poi) : std::nullopt;
    }

    const std::vector<ZonePageInfo>& pages() const override { return m_file->pages(); }
    int findPage(std::string_view name) const override { return m_file->findPage(name); }
    const std::string& fileBytes() const override { return m_file->bytes(); }
    long long largestIconId(const TSimpleXMLElem& shown) const override { return m_file->largestIconId(shown); }
    std::map<std::string, int, std::less<>> valueUses(std::string_view name) const override
    {
        return m_file->iconValueUses(name);
    }
    int shownPage() const override { return m_page; }
    void readPage(int page, TSimpleXML& read) override { m_file->show(page, read); }

    void switchTo(int page, TSimpleXML& shown) override
    {
        if (m_page >= 0)
            m_file->stash(m_page, shown);
        m_page = page;
    }

protected:
    const std::string& pageName() const { return m_file->pages()[static_cast<std::size_t>(m_page)].name; }

    std::unique_ptr<ZonePageFile> m_file;
    int m_page = -1;
};
