#include "document/LocationRepair.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

constexpr std::size_t kWorldParts = 3;
constexpr std::size_t kPointAsMinusDigits = 2;  // the files write two decimals
constexpr std::size_t kThousandsGroup = 3;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The parts as WorldLocation reads them: split at commas when there is one, else at blanks.
struct Parts {
    std::vector<std::string> items;
    std::string separator;  // what a repaired text puts between them
    bool commas = false;
};

Parts splitParts(std::string_view text)
{
    Parts parts;
    parts.commas = text.find(',') != std::string_view::npos;
    if (parts.commas) {
        parts.separator = text.find(", ") != std::string_view::npos ? ", " : ",";
        std::size_t from = 0;
        for (;;) {
            const std::size_t comma = text.find(',', from);
            parts.items.emplace_back(trimmed(text.substr(from, comma - from)));
            if (comma == std::string_view::npos)
                break;
            from = comma + 1;
        }
        return parts;
    }
    parts.separator = " ";
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        const std::size_t begin = at;
        while (at < text.size() && !isBlank(text[at]))
            ++at;
        if (at > begin)
            parts.items.emplace_back(text.substr(begin, at - begin));
    }
    return parts;
}

// Digits and dots of an unsigned number: leading dots go when the number has a point of its
// own (else the dot was its point), doubled dots become one.
std::string fixDots(std::string_view digits)
{
    std::size_t lead = 0;
    while (lead < digits.size() && digits[lead] == '.')
        ++lead;
    std::string_view rest = digits.substr(lead);
    std::string fixed;
    if (lead > 0 && rest.find('.') == std::string_view::npos)
        fixed = "0.";
    for (const char c : rest) {
        if (c != '.' || fixed.empty() || fixed.back() != '.')
            fixed += c;
    }
    return fixed;
}

// One part's reading: one number, two where a minus stood for a lost separator, none when no
// rule reads it.
std::optional<std::vector<std::string>> readPart(std::string_view part)
{
    if (!part.empty() && part.front() == '+')
        part.remove_prefix(1);
    const bool negative = !part.empty() && part.front() == '-';
    if (negative)
        part.remove_prefix(1);
    if (part.size() > 1 && part.back() == '-')
        part.remove_suffix(1);
    if (part.empty())
        return std::nullopt;
    const std::string sign = negative ? "-" : "";
    std::string body(part);
    const std::size_t minus = body.find('-');
    if (minus == std::string::npos)
        return std::vector<std::string>{sign + fixDots(body)};
    if (body.find('-', minus + 1) != std::string::npos)
        return std::nullopt;
    if (minus > 0 && body[minus - 1] == '.') {
        body.erase(minus, 1);
        return std::vector<std::string>{sign + fixDots(body)};
    }
    const std::string left = body.substr(0, minus);
    const std::string right = body.substr(minus + 1);
    if (allDigits(left) && allDigits(right) && right.size() == kPointAsMinusDigits)
        return std::vector<std::string>{sign + left + "." + right};
    if (left.find('.') != std::string::npos && right.find('.') != std::string::npos)
        return std::vector<std::string>{sign + fixDots(left), "-" + fixDots(right)};
    return std::nullopt;
}

bool isInteger(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    return allDigits(text);
}

// The ways two neighbouring parts read as one number.
std::vector<std::string> joinings(const std::string& first, const std::string& second, bool commas)
{
    std::vector<std::string> ways;
    if (first.empty())
        return ways;
    if (commas && isInteger(first) && allDigits(second))
        ways.push_back(first + "." + second);
    const std::size_t firstDigits = first.size() - (first.front() == '-' ? 1 : 0);
    const std::size_t point = second.find('.');
    const std::string_view group = std::string_view(second).substr(0, point);
    if (isInteger(first) && firstDigits <= kThousandsGroup && group.size() == kThousandsGroup && allDigits(group)
        && IsPlainNumber(second))
        ways.push_back(first + second);
    return ways;
}

std::string joined(const std::vector<std::string>& numbers, const std::string& separator)
{
    std::string text;
    for (const std::string& number : numbers)
        text += (text.empty() ? "" : separator) + number;
    return text;
}

bool allPlain(const std::vector<std::string>& numbers)
{
    return numbers.size() == kWorldParts && std::all_of(numbers.begin(), numbers.end(), [](const std::string& n) {
               return IsPlainNumber(n);
           });
}

}  // namespace

bool IsPlainNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
        return allDigits(text);
    return allDigits(text.substr(0, point)) && allDigits(text.substr(point + 1));
}

bool IsPlainWorldLocation(std::string_view text)
{
    // Asked of every POI of every page checked: read in place, without splitting into strings.
    const bool commas = text.find(',') != std::string_view::npos;
    std::size_t parts = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = commas ? text.find(',', at) : at;
        if (!commas) {
            while (at < text.size() && isBlank(text[at]))
                ++at;
            if (at == text.size())
                break;
            end = at;
            while (end < text.size() && !isBlank(text[end]))
                ++end;
        } else if (end == std::string_view::npos) {
            end = text.size();
        }
        if (++parts > kWorldParts || !IsPlainNumber(trimmed(text.substr(at, end - at))))
            return false;
        at = end + (commas ? 1 : 0);
        if (!commas && at == text.size())
            break;
    }
    return parts == kWorldParts;
}

std::optional<std::string> ProposeLocationRepair(std::string_view text)
{
    const Parts parts = splitParts(text);
    if (allPlain(parts.items))
        return std::nullopt;
    std::vector<std::string> numbers;
    for (const std::string& part : parts.items) {
        const std::optional<std::vector<std::string>> read = readPart(part);
        if (!read)
            return std::nullopt;
        numbers.insert(numbers.end(), read->begin(), read->end());
    }
    if (allPlain(numbers))
        return joined(numbers, parts.separator);
    if (numbers.size() != kWorldParts + 1)
        return std::nullopt;
    std::set<std::string> readings;
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i) {
        for (const std::string& way : joinings(numbers[i], numbers[i + 1], parts.commas)) {
            std::vector<std::string> three(numbers.begin(), numbers.begin() + static_cast<std::ptrdiff_t>(i));
            three.push_back(way);
            three.insert(three.end(), numbers.begin() + static_cast<std::ptrdiff_t>(i) + 2, numbers.end());
            if (allPlain(three))
                readings.insert(joined(three, parts.separator));
        }
    }
    if (readings.size() != 1)
        return std::nullopt;
    return *readings.begin();
}
