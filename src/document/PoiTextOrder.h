#pragma once
// The order of the POI tree's texts, the way a file manager sorts: letter case ignored, with a
// case-sensitive tie-break so "apple" and "Apple" sit together in a stable order.

#include <QString>

#include <optional>
#include <string_view>

bool PoiTextLess(const QString& a, const QString& b);
// The order of two UTF-8 texts when their ASCII start decides it; nullopt when a character
// outside ASCII comes first, whose folding needs the full rules.
std::optional<bool> PoiTextLessAsciiStart(std::string_view a, std::string_view b);
// The same order for UTF-8 texts as the document holds them (malformed bytes as the tree shows
// them), without converting texts that differ within their ASCII start.
bool PoiTextLessUtf8(std::string_view a, std::string_view b);
