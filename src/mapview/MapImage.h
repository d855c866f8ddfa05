#pragma once
// Map images for the map panel: DDS decoding with the gamma table, the blank map, what Image1
// shows of a bitmap (transparent rule, 512 x 512 cut or the map's own part), and the two ways a map reaches the panel:
// the FileMAP command and the automatic load after an icon page was opened.

#include "mapview/EditorState.h"
#include "mapview/Prompts.h"
#include "support/DdsImage.h"

#include <QImage>
#include <QRect>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr int kMapControlSize = 512;  // Image1's width and height in pixels

using GammaTable = std::array<uint8_t, 256>;

// Identity for gamma 1.0 exactly; otherwise 0 and min(255, Round(255 * (i/255)^gamma + 0.5))
// with the power taken in extended precision and halves rounded to even.
GammaTable buildGammaTable(double gamma);

// 512 x 512, every pixel white.
QImage blankMap();

// Wraps a decoded A8R8G8B8 record as an ARGB32 image without copying its pixels.
QImage imageFromArgbRecord(ImageRecord&& argb);

// A map image file that ends before its picture does: decoded, it would be blank in part or
// whole, which looks like a map and is none.
class MapCutShortError : public EImageError {
public:
    using EImageError::EImageError;
};

// Decodes `path` (a file system path), converts it to 32 bits and puts every byte through the
// gamma table; a PNG file is read as it is, without the gamma. The blank map when the decoder
// declines the file (extension neither "dds" nor "png"); a null
// image when the bitmap cannot be made after decoding. Decoder errors (EImageError) propagate;
// a DDS file cut short throws MapCutShortError.
QImage LoadMapImage(const std::string& path, double gamma);

// The part of a map image that Image1 shows: the top-left 512 x 512 pixels.
constexpr QRect kMapControlArea{0, 0, kMapControlSize, kMapControlSize};

// What Image1 shows of `bitmap`: its pixels inside `area` (those it has), with their own alpha,
// so the panel colour shows through where the map is (partly) transparent; pixels of the
// bitmap's bottom-left pixel's colour and alpha are fully transparent (on an image opaque
// everywhere: its colour). An opaque pixel of the key's colour on a map whose key pixel is
// see-through therefore stays. Premultiplied ARGB32, the area's corner at 0,0, ready to draw at
// the panel's top-left corner; null for a null bitmap or one with no pixel in `area`.
QImage mapDisplayImage(const QImage& bitmap, const QRect& area = kMapControlArea);

// The part of the open page's map image that is shown: its source rectangle when the map style
// gives one (the rest of a padded image is no map), else kMapControlArea.
QRect pageMapArea(const EditorState& state);

// The automatic load after an icon page was opened: BaseFolder + MapImagePath, else
// DefaultFolder + MapImagePath, else the picture chosen for the map (ChosenMapImage, a DDS or
// PNG file), else the page's own path with ".DDS"; the blank map when none
// exists or loading gives nothing. Every lookup ignores letter case. EImageError propagates: the
// caller shows it in an error box and stops the rest of the opening steps (a MapCutShortError:
// the caller shows the blank map and says why without a box).
QImage loadPageMapImage(const EditorState& state);
// Throws what loadPageMapImage would throw, reading the map's header only: for opening a page
// whose pixels nobody looks at.
void probePageMapImage(const EditorState& state);
// The file the automatic load uses (resolved on disk), if any.
std::optional<std::string> pageMapFile(const EditorState& state);
// The files the automatic load looks for, in order, without repeats (resolved as far as they exist).
std::vector<std::string> pageMapCandidates(const EditorState& state);

// Why the automatic load would show no map, in words of the page check: no file found, a file
// that is no DDS file, or one that does not decode (PageMapDecodeProblem). Nothing when it
// decodes.
std::optional<std::string> PageMapImageProblem(const EditorState& state);
// The decoder's message for the DDS file the automatic load uses when it is refused (told from
// its header) or cut short (from its length); nothing when there is none or it decodes.
std::optional<std::string> PageMapDecodeProblem(const EditorState& state);

// The `openmap` dialog of FileMAP: initial folder BaseFolder + "images\maps\" when it exists.
FileDialogOptions openMapDialogOptions(const EditorState& state);

// The FileMAP command: asks for a DDS file and returns the bitmap to show (the blank map when the
// file is missing or gives nothing). Nothing on cancel; nothing after showing "Map Loading Fail."
// when loading failed, so the previous image stays. Changes no state.
std::optional<QImage> runFileMapCommand(const EditorState& state, Prompts& prompts);
// The FileMAP command's steps after a file was chosen.
std::optional<QImage> openChosenMapImage(const QString& chosen, const EditorState& state, Prompts& prompts);

extern const char* const kMapLoadingFail;  // "Map Loading Fail."
