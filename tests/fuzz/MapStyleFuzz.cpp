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
        bool found = false;
        for (const MapStyleElement& other : again) {
            const MapStyleProperty* otherName = other.find("Name");
            if (other.tag == "ImageStyle" && otherName && otherName->value == name->value) {
                const MapStyleProperty* zone = other.find("zonerect");
                check(zone && zone->value == kZone);
                found = true;
                break;
            }
        }
        check(found);
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
        } else if (const MapStyleProperty* zone = style.find("zonerect")) {
            check(prefix >= zone->valueBegin && (prefix >= changedEnd || changedEnd <= zone->valueEnd));
        }
        return 0;
    }
    return 0;
}
