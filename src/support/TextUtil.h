#pragma once
// Small text helpers shared by the layers: splitting at a separator, trimming blanks and letter
// case rules for names that Windows compares without regard to case (ASCII only).

#include <string>
#include <string_view>

// Head and rest of a text split at the first occurrence of a separator.
struct SplitText {
    std::string head;  // before the separator, or the whole text when it does not occur
    std::string rest;  // after the separator, or empty when it does not occur
};

SplitText SplitAt(std::string_view text, char separator);

// True for the blanks that surround profile values and configuration texts.
bool IsBlank(char c);

// The text without blanks at either end.
std::string TrimBlanks(std::string_view text);

// Letter case folding of ASCII letters; other bytes (UTF-8 included) stay as they are.
std::string ToUpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Position of the first occurrence of `needle` in `text` without regard to ASCII case, or npos.
std::size_t FindNoCase(std::string_view text, std::string_view needle);

// A count with its noun as English reads it: "1 POI", "2 POIs", "0 problems".
std::string CountText(long long count, std::string_view one, std::string_view many);

// Where a byte of a file lies as a reader counts it: line and column from 1, the column in
// characters (UTF-8), a byte order mark not counted. Lines end at LF, CR LF or a lone CR.
struct TextPlace {
    std::size_t line = 1;
    std::size_t column = 1;
};
TextPlace PlaceOfByte(std::string_view bytes, std::size_t offset);
// "line L, column C".
std::string PlaceText(const TextPlace& place);
