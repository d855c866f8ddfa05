#pragma once
// The order of the POI tree's texts, the way a file manager sorts: letter case ignored, with a
// case-sensitive tie-break so "apple" and "Apple" sit together in a stable order.

#include <QString>

#include <string_view>

bool PoiTextLess(const QString& a, const QString& b);
// The same order for UTF-8 texts as the document holds them (malformed bytes as the tree shows
// them), without converting texts that differ within their ASCII start.
bool PoiTextLessUtf8(std::string_view a, std::string_view b);
