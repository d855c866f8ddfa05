#include "document/PageOpening.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PackCheck.h"
#include "mapview/MapImage.h"
#include "mapview/Prompts.h"

#include <QDir>
#include <QFileInfo>

bool PageFileFound(const QString& path, Prompts& prompts)
{
    const QFileInfo file(path);
    if (file.isFile())
        return true;
    prompts.showMessage(QStringLiteral("File \"%1\" is not found.").arg(file.fileName()));
    return false;
}

std::unique_ptr<PageSource> ReadIconPageOrSay(TSimpleXML& read, const std::string& path, std::string* preread,
                                              FileStamp* stamp, Prompts& prompts)
{
    ConfigureIconPageDocument(read);
    try {
        return ReadIconPageSource(read, path, preread, stamp);
    } catch (const IconPageLoadError& error) {
        const QString text = QString::fromStdString(error.what());
        if (text.startsWith(QLatin1String(IconPageText::kLoadingError)))
            prompts.showMessage(text);
        else
            prompts.showError(text);
    }
    return nullptr;
}

bool ReadZonePageOrSay(PageSource& source, int page, TSimpleXML& read, Prompts& prompts)
{
    ConfigureIconPageDocument(read);
    try {
        source.readPage(page, read);
    } catch (const std::exception& error) {
        prompts.showMessage(QString::fromStdString(LoadingErrorText(error.what())));
        return false;
    }
    return true;
}

PageFieldTexts PageFields(const TSimpleXMLElem& root, const PageSource& source,
                          const std::map<std::string, std::string>& zoneLocations)
{
    const TSimpleXMLProps* props = root.PropertiesIfAny();
    const TSimpleXMLProp* name = props ? props->Find("Name") : nullptr;
    PageFieldTexts texts;
    texts.pageName = name ? name->Value() : std::string();
    if (source.offers(PageFeature::OwnZoneName)) {
        const TSimpleXMLProp* zone = props ? props->Find("1location") : nullptr;
        texts.location = zone ? fromDoc(zone->Value()) : QString();
    } else {
        // The location name comes from the map style file: no zone name is ever written here.
        const auto found = zoneLocations.find(texts.pageName);
        texts.location = found == zoneLocations.end() ? QString() : fromDoc(found->second);
    }
    return texts;
}

void TakePageSize(EditorState& state, TSimpleXMLElem& root)
{
    const auto [width, height] = ReadPageSize(root).value_or(MapPageSize(state));
    state.PageWidth = width;
    state.PageHeight = height;
}

void SayLookupRefusal(const MapStyleLookup& style, Prompts& prompts)
{
    if (style.refusal)
        prompts.showError(fromDoc(*style.refusal));
}

std::optional<QImage> ReadPageMapOrSay(const EditorState& state, Prompts& prompts)
{
    try {
        return loadPageMapImage(state);
    } catch (const MapCutShortError& error) {
        // The page opens with the blank map, as without one; why is no reason to stop.
        prompts.showNotice(QString::fromStdString(error.what()));
        return blankMap();
    } catch (const std::exception& error) {
        prompts.showError(QString::fromStdString(error.what()));
    }
    return std::nullopt;
}

bool ProbePageMapOrSay(const EditorState& state, Prompts& prompts)
{
    try {
        probePageMapImage(state);
    } catch (const MapCutShortError& error) {
        prompts.showNotice(QString::fromStdString(error.what()));
    } catch (const std::exception& error) {
        prompts.showError(QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

std::vector<PageProblem> CheckOpenPage(const TSimpleXMLElem& root, const EditorState& state,
                                       const PageSource& source, const PackRules* pack)
{
    if (!state.DocLoaded)
        return {};
    CheckedPage page = DescribePage(root, state, source.vocabulary(), PageMapImageProblem(state));
    page.lineOf = [&root, &source](int poiIndex) { return source.lineOf(root, poiIndex); };
    source.describeCheck(page, root, state);
    page.numberedNames = source.offers(PageFeature::NumberedNames);
    const std::string file =
        QDir::cleanPath(QFileInfo(QString::fromStdString(state.CurrentFile)).absoluteFilePath()).toStdString();
    std::vector<PageProblem> problems = pack ? pack->check(page, pack->pageName(file, source.shownPageName()),
                                                           source.anchor() == PoiAnchor::World)
                                             : CheckPage(page);
    if (!source.offers(PageFeature::AnchorOption)) {
        for (PageProblem& problem : problems)
            problem.dataAnchor.reset();
    }
    return problems;
}
