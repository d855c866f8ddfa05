#pragma once
// The order of the POI tree's texts, the way a file manager sorts: letter case ignored, with a
// case-sensitive tie-break so "apple" and "Apple" sit together in a stable order.

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

bool PoiTextLess(const QString& a, const QString& b);
// The order of two UTF-8 texts when their ASCII start decides it; nullopt when a character
// outside ASCII comes first, whose folding needs the full rules.
std::optional<bool> PoiTextLessAsciiStart(std::string_view a, std::string_view b);
// A text's first bytes with letter case folded, packed so that comparing two keys as numbers
// orders their texts wherever they differ within those bytes and within ASCII: sorting thousands
// of names compares small keys side by side instead of texts all over the memory.
struct PoiTextKey {
    // The first eight bytes, the first in the highest bits, then the next eight; 0 past the
    // text's end. Sixteen bytes: names often share a start such as "Ranger Camp ".
    std::uint64_t folded = 0;
    std::uint64_t foldedNext = 0;
    int decided = 0;  // how many leading bytes the key speaks for
};
PoiTextKey MakePoiTextKey(std::string_view text);
// The order of two texts by their keys; nullopt when the keys cannot tell.
std::optional<bool> PoiTextKeyLess(const PoiTextKey& a, const PoiTextKey& b);

// The same order for UTF-8 texts as the document holds them (malformed bytes as the tree shows
// them), without converting texts that differ within their ASCII start.
bool PoiTextLessUtf8(std::string_view a, std::string_view b);
