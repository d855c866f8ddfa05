// libFuzzer target: any bytes through the map style reader; where a style can be edited, the
// edit must change nothing but its value and read back as the new zone text.

#include "support/MapStyleFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const std::string kZone = "-1,2,-3,4";

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The style an edit for `name` writes: the last ImageStyle of that name, the one the lookup reads.
const MapStyleElement* lastNamed(const std::vector<MapStyleElement>& styles, const std::string& name)
{
    const MapStyleElement* last = nullptr;
    for (const MapStyleElement& style : styles) {
        const MapStyleProperty* styleName = style.find("Name");
        if (style.tag == "ImageStyle" && styleName && styleName->value == name)
            last = &style;
    }
    return last;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::vector<MapStyleElement> styles;
    try {
        styles = ReadMapStyleElements(original);
    } catch (const MapStyleError&) {
        return 0;
    }
    for (const MapStyleElement& style : styles) {
        const MapStyleProperty* name = style.find("Name");
        if (style.tag != "ImageStyle" || !name)
            continue;
        std::string edited = original;
        ZoneRectEdit result;
        try {
            result = SetZoneRectInPlace(edited, name->value, kZone);
        } catch (const MapStyleError&) {
            return 0;  // a nameless style before this one
        }
        check(result != ZoneRectEdit::NoMatch);
        const std::vector<MapStyleElement> again = ReadMapStyleElements(edited);
        check(again.size() == styles.size());
        const MapStyleElement* written = lastNamed(again, name->value);
        check(written && written->find("zonerect") && written->find("zonerect")->value == kZone);
        const MapStyleElement& target = *lastNamed(styles, name->value);
        // Only the value's bytes changed: the common prefix and suffix cover everything else.
        std::size_t prefix = 0;
        while (prefix < original.size() && prefix < edited.size() && original[prefix] == edited[prefix])
            ++prefix;
        std::size_t suffix = 0;
        while (suffix < original.size() - prefix && suffix < edited.size() - prefix
               && original[original.size() - 1 - suffix] == edited[edited.size() - 1 - suffix])
            ++suffix;
        const std::size_t changedEnd = original.size() - suffix;
        if (result == ZoneRectEdit::Added) {
            check(prefix >= changedEnd);  // a pure insertion
        } else if (const MapStyleProperty* zone = target.find("zonerect")) {
            check(prefix >= zone->valueBegin && (prefix >= changedEnd || changedEnd <= zone->valueEnd));
        }
        return 0;
    }
    return 0;
}
