#pragma once
// The XML side of icon pages, without the GUI toolkit, so that the editor and the round-trip
// fuzzer share it: the value hooks, the document set-up, and reading a page with the rules that
// make every page that loads save to bytes that load again to the same tree.

#include "support/xml/SimpleXml.h"

#include <string>
#include <string_view>

// The page hooks. Decoding takes the value's UTF-8 to the editing form and resolves the five
// entities; numeric character references ("&#10;", "&#xA;") stay as their text. Encoding goes
// back and writes the five special characters as entities, except the "&" that starts a
// well-formed numeric reference, so such references are saved exactly as they were read.
void IconPageDecodeValue(std::string& value);
// True when IconPageDecodeValue leaves value as it is: well-formed UTF-8 without a reference.
// Most values are; the parser keeps them without a copy for the hook.
bool IconPageDecodeKeepsValue(std::string_view value);
void IconPageEncodeValue(std::string& value);
// Appends what IconPageEncodeValue would make of value to out, without a copy of it: the hook
// the writer calls.
void IconPageAppendEncodedValue(std::string& out, std::string_view value);

// A well-formed numeric character reference starts at text[at]: "&#" decimal digits ";" or
// "&#x" hexadecimal digits ";" naming a character XML allows. Returns its length, else 0.
std::size_t NumericReferenceLength(std::string_view text, std::size_t at);

// Options, indentation and hooks of an icon page document.
void ConfigureIconPageXml(TSimpleXML& document);

// Parses a page from the stream's position into `document` and returns what stands after the
// root element (from its first non-blank byte; empty when only blanks follow). Throws
// ESimpleXMLError for what the XML layer refuses, and also for a page it accepts but that could
// not be saved and read back: no complete root element (a root start tag cut off by the end of
// the data, or none at all), or an element or property whose name would not read back as the
// writer writes it (none at all, or an element tag starting with '!' or '?').
std::string ParseIconPage(TSimpleXML& document, TMemoryStream& stream);
// The same for bytes from start on, which the document takes over: its values are read in place
// (TSimpleXML::LoadFromBuffer) instead of copied.
std::string ParseIconPage(TSimpleXML& document, std::string bytes, std::size_t start);
