#pragma once
// How a POI becomes a marker and how the position button frames it: reading the "a,b" pairs of
// Location and Size, the marker ellipse centred on the location, the fill colour by POI type.
// No widget code, so the document layer and tests call these directly.

#include <QColor>
#include <QRect>
#include <QStringList>

#include <optional>
#include <string_view>

// Two integers read from an "a,b" text.
struct IntPair {
    int first = 0;
    int second = 0;

    bool operator==(const IntPair& other) const
    {
        return first == other.first && second == other.second;
    }
};

// How many characters after the comma each reader takes for the second number.
constexpr int kMarkerPairTailChars = 5;     // a POI's Location and Size, for its marker
constexpr int kPageSizeTailChars = 3;       // the page's Size
constexpr int kSelectionSizeTailChars = 2;  // a POI's Size, for the position button on select

constexpr IntPair kDefaultMarkerLocation{0, 0};
constexpr IntPair kDefaultIconSize{12, 12};
// The marker ellipse is this much smaller than the icon size, so the position button (icon size)
// shows as a frame around it.
constexpr int kMarkerInset = 2;

// The integer before the first comma and the integer formed by at most `tailChars` characters
// after it; nothing when there is no comma or a part is not an integer.
std::optional<IntPair> ParseCommaPair(std::string_view text, int tailChars);

// Marker position from a Location value; (0, 0) when it does not read.
IntPair MarkerLocation(std::string_view locationText);

// Icon size from a Size value; 12 x 12 when it does not read.
IntPair MarkerSize(std::string_view sizeText);

// Half of a length rounded down (towards minus infinity).
int HalfDown(int length);

// The ellipse of a marker: (w - 2) x (h - 2) centred on the location, halves rounded down.
// A negative size gives an empty rectangle at the same place.
QRect MarkerRect(IntPair location, IntPair iconSize);

// A rectangle of the given size whose left and top are centre - size / 2 (rounded down); the
// position button's placement on a selected POI.
QRect CentredRect(IntPair centre, IntPair size);

// Fill colour by the POI's IconStyle, compared exactly; grey for any other text.
QColor MarkerFillColour(std::string_view iconStyle);

// The style group of an IconStyle, as the View menu shows and hides markers: the style itself
// when the colour table has it, "other" for any other text.
QString MarkerStyleGroup(std::string_view iconStyle);
// Every style group in menu order: the table's styles, then "other".
QStringList MarkerStyleGroups();

// The marker style (and style group) of links to other maps: drawn as a sign, their label beside.
inline constexpr std::string_view kLinkStyle = "link";
inline bool IsLinkStyleGroup(const QString& group)
{
    return group == QLatin1String(kLinkStyle.data(), static_cast<int>(kLinkStyle.size()));
}

// MarkerFillColour and MarkerStyleGroup of a style, from one look at the table.
struct MarkerStyleLook {
    QColor fill;
    QString group;
};
MarkerStyleLook LookOfStyle(std::string_view iconStyle);
