#include "app/Captions.h"

#include <QUrl>

#include <cstring>

namespace {

struct CaptionRow {
    const char* name;
    const char* text;
};

// Main window captions as designed (Korean).
const CaptionRow kKorean[] = {
    {"TForm1", "VynMAP Editor  0.79 Beta"},
    {"FileOpen", "불러오기(&O)"},
    {"FileOpenZone", "맵이름으로 열기(&L)"},
    {"FileSave", "저장(&S)"},
    {"FileSaveAs", "다른 이름으로 저장(&A)"},
    {"FileMAP", "맵 이미지 불러오기(&M)"},
    {"FileExit", "종료(&X)"},
    {"FileSaveBOM", "UTF8 헤더 사용(&U)"},
    {"FileSaveARR", "저장시 정렬 사용(&R)"},
    {"MAPADD", "포인트 추가(&A)"},
    {"MAPDEL", "포인트 삭제(&D)"},
    {"MAPLOCAUTO", "좌표 자동 수정(&C)"},
    {"MapAddZonerect", "Zone 경계 추가(&Z)"},
    {"MAPNAMES", "맵이름 수정(&M)"},
    {"N1", "파일(&F)"},
    {"N5", "맵(&P)"},
    {"N12", "옵션(&O)"},
    {"Help1", "이 프로그램은(&A)"},
    {"Label1", "위치"},
    {"Label2", "명칭"},
    {"Label3", "종류"},
    {"Label4", "좌표"},
    {"MAPPOI.prefix", "POI 내용을 "},
    {"MAPPOI.suffix", " 에 보내기(&O)"},
    {"EditMenu", "편집(&E)"},
    {"ViewMenu", "보기(&V)"},
    {"ViewMarkerStyle", "마커 모양(&M)"},
    {"ViewMarkerFilled", "채움(&F)"},
    {"ViewMarkerOutline", "테두리(&O)"},
    {"ViewMarkerSize", "마커 크기(&S)"},
    {"ViewMarkerSizeDescribed", "페이지 그대로(&A)"},
    {"ViewMarkerSizeSmall", "작게(&S)"},
    {"ViewMarkerSizeTiny", "아주 작게(&T)"},
    {"EditFind", "찾기(&F)..."},
    {"FindTitle", "찾기"},
    {"ViewZoomIn", "확대(&I)"},
    {"ViewZoomOut", "축소(&O)"},
    {"ViewZoomReset", "원래 크기(&R)"},
    {"ViewTypeOther", "기타"},
    {"FileExportPicture", "맵 그림 내보내기(&E)"},
    {"ExportTitle", "맵 그림 내보내기"},
    {"ExportLabels", "마커 옆에 POI 이름을 쓸까요?"},
    {"EditUndo", "실행 취소(&U)"},
    {"EditRedo", "다시 실행(&R)"},
    {"FileRecent", "최근 파일(&R)"},
    {"SaveQuestion", "%1 파일의 변경 내용을 저장할까요?"},
    {"SaveAnswer.save", "저장(&S)"},
    {"SaveAnswer.discard", "저장 안 함(&N)"},
    {"SaveAnswer.cancel", "취소"},
    {"RecentMissing", "파일 \"%1\"을(를) 찾을 수 없어 최근 파일 목록에서 뺐습니다."},
    {"FileZonePage", "존 페이지(&Z)..."},
    {"CannotPlace", "존 사각형이 없어 POI를 지도에 놓을 수 없습니다"},
    {"EditCopy", "복사(&C)"},
    {"EditCut", "잘라내기(&T)"},
    {"EditPaste", "붙여넣기(&P)"},
    {"EditDuplicate", "복제(&D)"},
    {"MapAddHere", "여기에 포인트 추가"},
    {"MapPasteHere", "여기에 붙여넣기"},
    {"CopyWorldLocation", "월드 좌표 복사"},
    {"TreeDelete", "삭제"},
    {"TreeCopy", "복사"},
    {"TreeDuplicate", "복제"},
    {"TreeCentre", "지도에서 가운데에 보기"},
    {"OpenLinkedMap", "연결된 지도 열기"},
    {"LinkedMapUnknown", "\"%1\" 지도를 찾을 수 없습니다."},
    {"SelectedCount", "%1개 선택"},
    {"LocationMistyped", "월드 좌표가 잘못 입력된 것 같습니다: %1"},
    {"DeleteSeveral", "POI %1개를 삭제할까요?"},
    {"PasteShifted", "붙여넣은 POI가 페이지 밖으로 나가지 않도록 함께 옮겼습니다"},
    {"MapNotFound", "맵 이미지를 찾을 수 없음: %1"},
    {"MapNotDecoded", "맵 이미지를 읽을 수 없음: %1"},
    {"ChangedOnDisk", "%1 파일을 읽은 뒤에 다른 프로그램이 파일을 바꾸었습니다. 덮어쓸까요?"},
    {"ChangedAnswer.overwrite", "덮어쓰기(&O)"},
    {"ChangedAnswer.saveAs", "다른 이름으로 저장(&A)..."},
    {"ChangedAnswer.cancel", "취소"},
    {"ReloadQuestion", "%1 파일을 다른 프로그램이 바꾸었습니다. 다시 읽을까요?"},
    {"NotForZoneFile", " (이 파일에는 쓰지 않음)"},
    {"ZonePageMissing", "존 페이지 \"%1\"이(가) %2에 없습니다."},
    {"ZonePageNeeded", "%1에는 존 페이지가 여럿 있습니다. FILE#PAGE 형식으로 하나를 지정하세요."},
    {"ViewProblems", "문제 목록(&P)"},
    {"OptionTopLeft", "위치는 아이콘의 왼쪽 위 모서리(&L)"},
    {"MapAlign", "맵 맞추기(&G)..."},
    {"FileChooseMapImage", "맵 그림 고르기(&I)..."},
    {"AlignOffer", "Zone 경계 없음: <a href=\"align\">맵 맞추기...</a>"},
    {"AlignNotWritten", "설정 파일 \"%1\"에 쓸 수 없습니다"},
    {"AlignStyleDecides", "맵 스타일 파일의 경계가 우선합니다: \"맵 스타일 파일에도 쓰기\"를 선택하세요"},
    {"MapImageFound", "\"%1\" 파일을 찾았습니다: %2\n이 그림을 쓸까요?"},
    {"ChooseMapImageTitle", "맵 그림 고르기"},
    {"ChooseMapImageFilter", "맵 그림 (*.dds *.png)"},
    {"ViewPack", "맵 팩(&K)"},
    {"FileOpenFolder", "폴더 열기(&D)..."},
    {"EditFindInPack", "맵 팩에서 찾기(&K)..."},
    {"OpenFolderTitle", "맵 팩 폴더 열기"},
    {"PackPanel", "맵 팩"},
    {"PackPanel.page", "페이지"},
    {"PackPanel.pois", "POI"},
    {"PackPanel.problems", "문제"},
    {"PackPanel.unread", "읽지 못함"},
    {"PackPanel.find", "맵 팩에서 찾기"},
    {"PackPanel.type", "종류"},
    {"PackPanel.poi", "POI"},
    {"PackPanel.poiType", "종류"},
    {"PackPanel.world", "좌표"},
    {"PackPanel.found", "POI %1개"},
    {"PackPanel.many", "POI %1개 넘게 찾음: 처음 %1개만 보임"},
};

// The fixed English replacements.
const CaptionRow kEnglish[] = {
    {"TForm1", "VynMAP Editor  0.79 Beta"},
    {"FileOpen", "&Open Icon Page"},
    {"FileOpenZone", "Open Zone(&L)"},
    {"FileSave", "&Save Icon Page"},
    {"FileSaveAs", "Save &As Icon Page"},
    {"FileMAP", "Open &Map File"},
    {"FileExit", "E&xit"},
    {"FileSaveBOM", "Use UTF&8BOM Header"},
    {"FileSaveARR", "&Rearrange properties at Save"},
    {"MAPADD", "&Add POI"},
    {"MAPDEL", "&Delete POI"},
    {"MAPLOCAUTO", "Auto&calc Location"},
    {"MapAddZonerect", "Add &Zonerect"},
    {"MAPNAMES", "&Mark up MAP names"},
    {"N1", "&File"},
    {"N5", "&POI"},
    {"N12", "&Option"},
    {"Help1", "&About"},
    {"Label1", "Loc "},
    {"Label2", "Name"},
    {"Label3", "Type"},
    {"Label4", "Path"},
    {"MAPPOI.prefix", "Post P&OI to "},
    {"MAPPOI.suffix", ""},
    {"EditMenu", "&Edit"},
    {"ViewMenu", "&View"},
    {"ViewMarkerStyle", "&Marker Style"},
    {"ViewMarkerFilled", "&Filled"},
    {"ViewMarkerOutline", "&Outline"},
    {"ViewMarkerSize", "Marker &Size"},
    {"ViewMarkerSizeDescribed", "&As in the Page"},
    {"ViewMarkerSizeSmall", "&Small"},
    {"ViewMarkerSizeTiny", "&Tiny"},
    {"EditFind", "&Find..."},
    {"FindTitle", "Find"},
    {"ViewZoomIn", "Zoom &In"},
    {"ViewZoomOut", "Zoom &Out"},
    {"ViewZoomReset", "&Reset Zoom"},
    {"ViewTypeOther", "other"},
    {"FileExportPicture", "&Export Map Picture"},
    {"ExportTitle", "Export Map Picture"},
    {"ExportLabels", "Write the POI names beside the markers?"},
    {"EditUndo", "&Undo"},
    {"EditRedo", "&Redo"},
    {"FileRecent", "&Recent"},
    {"SaveQuestion", "Save changes to %1?"},
    {"SaveAnswer.save", "&Save"},
    {"SaveAnswer.discard", "&Discard"},
    {"SaveAnswer.cancel", "Cancel"},
    {"RecentMissing", "File \"%1\" is not found. It was removed from the recent pages."},
    {"FileZonePage", "&Zone Page..."},
    {"CannotPlace", "No zone rectangle: the POIs cannot be placed"},
    {"EditCopy", "&Copy"},
    {"EditCut", "Cu&t"},
    {"EditPaste", "&Paste"},
    {"EditDuplicate", "&Duplicate"},
    {"MapAddHere", "Add POI here"},
    {"MapPasteHere", "Paste here"},
    {"CopyWorldLocation", "Copy world location"},
    {"TreeDelete", "Delete"},
    {"TreeCopy", "Copy"},
    {"TreeDuplicate", "Duplicate"},
    {"TreeCentre", "Centre the map on it"},
    {"OpenLinkedMap", "Open linked map"},
    {"LinkedMapUnknown", "Map \"%1\" is not known."},
    {"SelectedCount", "%1 selected"},
    {"LocationMistyped", "Its world location looks mistyped: %1"},
    {"DeleteSeveral", "Delete These %1 POIs?"},
    {"PasteShifted", "The pasted POIs were shifted together to stay on the page"},
    {"MapNotFound", "Map image not found: %1"},
    {"MapNotDecoded", "Map image cannot be decoded: %1"},
    {"ChangedOnDisk", "%1 was changed by another program since it was read. Write over it?"},
    {"ChangedAnswer.overwrite", "&Overwrite"},
    {"ChangedAnswer.saveAs", "Save &As..."},
    {"ChangedAnswer.cancel", "Cancel"},
    {"ReloadQuestion", "%1 was changed by another program. Read it again?"},
    {"NotForZoneFile", " (not for this file)"},
    {"ZonePageMissing", "Zone page \"%1\" is not found in %2."},
    {"ZonePageNeeded", "%1 holds zone pages: name one as FILE#PAGE."},
    {"ViewProblems", "&Problems"},
    {"OptionTopLeft", "&Location is the icon's top-left corner"},
    {"MapAlign", "Ali&gn Map..."},
    {"FileChooseMapImage", "Choose Map &Image..."},
    {"AlignOffer", "No zone rectangle: <a href=\"align\">Align Map...</a>"},
    {"AlignNotWritten", "Cannot write the configuration file \"%1\""},
    {"AlignStyleDecides", "The map style file's rectangle decides: tick \"Also write the map style file\""},
    {"MapImageFound", "Found \"%1\" at %2\nUse this picture?"},
    {"ChooseMapImageTitle", "Choose Map Image"},
    {"ChooseMapImageFilter", "Map pictures (*.dds *.png)"},
    {"ViewPack", "Pac&k"},
    {"FileOpenFolder", "Open &Folder..."},
    {"EditFindInPack", "Find in Pac&k..."},
    {"OpenFolderTitle", "Open Map Pack Folder"},
    {"PackPanel", "Pack"},
    {"PackPanel.page", "Page"},
    {"PackPanel.pois", "POIs"},
    {"PackPanel.problems", "Problems"},
    {"PackPanel.unread", "not read"},
    {"PackPanel.find", "Find in pack"},
    {"PackPanel.type", "Type"},
    {"PackPanel.poi", "POI"},
    {"PackPanel.poiType", "Type"},
    {"PackPanel.world", "World location"},
    {"PackPanel.found", "%1 POIs found"},
    {"PackPanel.many", "More than %1 POIs found: the first %1 shown"},
};

template <size_t N>
QString lookup(const CaptionRow (&rows)[N], const char* name)
{
    for (const CaptionRow& row : rows) {
        if (std::strcmp(row.name, name) == 0)
            return QString::fromUtf8(row.text);
    }
    return {};
}

// "mapboard.example.net" -> "example.net"; a host of one or two labels is its own domain.
QString domainOf(const QString& host)
{
    const QStringList labels = host.split(QLatin1Char('.'));
    if (labels.size() <= 2)
        return host;
    return labels.mid(1).join(QLatin1Char('.'));
}

} // namespace

QString caption(Language language, const char* name)
{
    return language == Language::Korean ? lookup(kKorean, name) : lookup(kEnglish, name);
}

QString postPoiCaption(Language language, const QString& poiUrl)
{
    const QString host = QUrl(poiUrl).host();
    const QString site = language == Language::Korean ? domainOf(host) : host;
    return caption(language, "MAPPOI.prefix") + site + caption(language, "MAPPOI.suffix");
}
