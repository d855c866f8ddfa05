// libFuzzer target: any bytes as a profile file, read and edited. Input: section, key and value
// lines, then the file text. A value written must read back unchanged.

#include "support/ProfileFile.h"
#include "support/TextUtil.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string takeLine(std::string& input)
{
    const SplitText parts = SplitAt(input, '\n');
    input = parts.rest;
    return parts.head;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    const std::string section = takeLine(input);
    const std::string key = takeLine(input);
    const std::string value = takeLine(input);

    const ProfileFile profile = ProfileFile::fromText(input);
    profile.readString(section, key, "default");
    profile.readInt(section, key, 0);
    profile.sectionKeys(section);
    profile.sectionLines(section);
    try {
        const std::string edited = ProfileFile::withValue(input, section, key, value);
        const bool readable = TrimBlanks(value) == value && value.size() <= ProfileFile::kMaxValueLength;
        if (readable && ProfileFile::fromText(edited).readString(section, key, "\x01" "absent") != value)
            __builtin_trap();
    } catch (const ProfileError&) {
    }
    return 0;
}
