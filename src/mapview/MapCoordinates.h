#pragma once
// Map coordinates: zone texts, the two conversions between an image position (pixels of the map
// image) and a world location text ("x, height, z"), and the status bar texts of the pointer
// position. Plain C++; numbers always use a point as decimal separator, whatever the locale,
// because world locations are themselves comma-separated.

#include "mapview/EditorState.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

using ZoneRectangle = decltype(EditorState::ZoneRect);  // x1, y1, x2, y2

// ---- Numbers as text -------------------------------------------------------------------------

// A signed decimal integer: leading blanks, an optional sign, digits and nothing else, within the
// 32-bit range.
std::optional<int> ParseInteger(std::string_view text);
// The quick reading of the plainest numbers, "-?digits" of 1 to 9 digits, from `at` up to `end`:
// the number, with `at` moved past it. False for anything else (a blank, a plus, ten digits),
// which ParseInteger's general reading decides.
bool ReadShortInteger(std::string_view text, std::size_t& at, std::size_t end, int& value);

// A decimal number with a point as separator and an optional exponent ("-12.5", "3", ".5",
// "1e3"); no blanks, no "inf" or "nan", nothing after it. Out of range gives no number.
std::optional<double> ParseDecimal(std::string_view text);

// Fixed point with two decimals and a point ("-1635.00"); a value that rounds to zero is written
// without sign. No text for infinities and NaN.
std::optional<std::string> FormatFixed2(double value);

// ---- Zone rectangles ------------------------------------------------------------------------

// "x1,y1,x2,y2" into the four numbers. Each part may have blanks around it and may be a decimal
// ("-585.5, -1135, 1635, 1445.25"), rounded to the nearest integer with halves to even; a part
// that is not a number, or out of the int range, gives (0, 0, 0, 0).
ZoneRectangle ParseZoneText(std::string_view text);

// The four numbers joined by commas without blanks.
std::string ZoneText(const ZoneRectangle& zone);

// A map has a zone rectangle (and automatic location calculation is possible) when any of the
// four numbers is not 0.
bool HasZoneRect(const ZoneRectangle& zone);

// The part of a map image that is the map, "x,y,width,height" as a style's SourceRect gives it
// (read as a zone text is); (0, 0, 0, 0), none, unless x and y are at least 0 and the width and
// height above 0.
ZoneRectangle ParseSourceRect(std::string_view text);
bool HasSourceRect(const ZoneRectangle& rect);

// ---- Conversions ----------------------------------------------------------------------------

// The middle (height) part of a world location text: the part between the first and the second
// comma, trimmed; "0" when it is empty or missing.
std::string MiddlePartOf(std::string_view worldText);

// World location text "%0.2f, %s, %0.2f" for image position (x, y) with the given middle part,
// using the zone rectangle and page size of `state`. A page width or height of 0 gives
// "0, " + middle + ", 0".
std::string ImageToWorld(const EditorState& state, int x, int y, const std::string& middle = "0");

// Result of WorldToImage: the normalised text and the image position, or an empty text (and
// position 0,0) when the world location cannot be converted.
struct WorldToImageResult {
    std::string text;
    int x = 0;
    int y = 0;

    bool ok() const { return !text.empty(); }
};

// Reads "X, middle, Z" (exactly three parts, X and Z numbers) and converts it to the image
// position with the zone rectangle and page size of `state`, rounding halves to even. Fails when
// the text does not read, when x2 = x1 or y2 = y1, or when the position leaves the 32-bit range.
WorldToImageResult WorldToImage(const EditorState& state, std::string_view worldText);

// ---- Status bar -----------------------------------------------------------------------------

// Panel 1: the image position as "x,y".
std::string StatusPositionText(int x, int y);

// Panel 2: the world location with middle part "0" while an icon page is open, else empty.
std::string StatusWorldText(const EditorState& state, int x, int y);
