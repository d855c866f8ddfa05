#include "mapview/WorldLocation.h"

#include "mapview/MapCoordinates.h"
#include "support/TextUtil.h"

#include <vector>

namespace {

constexpr std::size_t kWorldParts = 3;

// Blank-separated parts may also be split by line ends, as a value copied from several lines is.
bool isSeparatingBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> commaParts(std::string_view text)
{
    std::vector<std::string> parts;
    std::string rest(text);
    for (;;) {
        SplitText part = SplitAt(rest, ',');
        parts.push_back(TrimBlanks(part.head));
        if (rest.find(',') == std::string::npos)
            break;
        rest = std::move(part.rest);
    }
    return parts;
}

std::vector<std::string> blankParts(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isSeparatingBlank(text[at]))
            ++at;
        const std::size_t begin = at;
        while (at < text.size() && !isSeparatingBlank(text[at]))
            ++at;
        if (at > begin)
            parts.emplace_back(text.substr(begin, at - begin));
    }
    return parts;
}

const char* separatorText(WorldLocation::Separator separator)
{
    switch (separator) {
    case WorldLocation::Separator::Comma:
        return ",";
    case WorldLocation::Separator::Blank:
        return " ";
    case WorldLocation::Separator::CommaBlank:
        break;
    }
    return ", ";
}

}  // namespace

std::optional<WorldLocation> WorldLocation::Parse(std::string_view text)
{
    const bool commas = text.find(',') != std::string_view::npos;
    const std::vector<std::string> parts = commas ? commaParts(text) : blankParts(text);
    if (parts.size() != kWorldParts)
        return std::nullopt;
    const std::optional<double> x = ParseDecimal(parts[0]);
    const std::optional<double> z = ParseDecimal(parts[2]);
    if (!x || !z)
        return std::nullopt;
    WorldLocation location{*x, parts[1], *z};
    if (!commas)
        location.separator = Separator::Blank;
    else if (text.find(", ") == std::string_view::npos)
        location.separator = Separator::Comma;
    return location;
}

std::optional<std::string> WorldLocation::text(Form form) const
{
    const std::optional<std::string> textX = FormatFixed2(x);
    const std::optional<std::string> textZ = FormatFixed2(z);
    if (!textX || !textZ)
        return std::nullopt;
    const std::string between = separatorText(form == Form::Own ? separator : Separator::CommaBlank);
    return *textX + between + middle + between + *textZ;
}

WorldLocation WorldLocation::movedTo(double newX, double newZ) const
{
    WorldLocation moved = *this;
    moved.x = newX;
    moved.z = newZ;
    return moved;
}
