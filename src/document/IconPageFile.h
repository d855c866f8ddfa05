#pragma once
// Icon pages as files, without widgets: the document set-up with the UTF-8 value hooks, reading
// a page (byte order mark, parse, "1location"), the page size, the POI property rules, the
// property rearrangement and the bytes written on save.

#include "support/FileStamp.h"
#include "support/xml/SimpleXml.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

// Texts the editor shows for icon page files.
namespace IconPageText {
inline constexpr const char* kLoadingError = "Error : Loading File";
inline constexpr const char* kNoFileLoaded = "No File Loaded";
inline constexpr const char* kArrangeError = "Error : Arrange";
inline constexpr const char* kSavingError = "Error in saving file";
inline constexpr const char* kCannotOpen = "Cannot open file ";
}  // namespace IconPageText

// "Error : Loading File", then on a line of its own why and where the file could not be read.
std::string LoadingErrorText(const std::string& reasonAndPlace);

// A page could not be read; what() is the text the editor shows.
class IconPageLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A POI lacks a property that an operation reads or writes; properties are never created.
class MissingPropertyError : public std::runtime_error {
public:
    explicit MissingPropertyError(const std::string& name) : std::runtime_error("missing property " + name) {}
};

// The value hooks of icon pages: file UTF-8 to the editing form with the five references
// resolved, and back.
void xmlscanDecodeValue(std::string& value);
void xmlscanEncodeValue(std::string& value);

// Options, indentation and hooks of an icon page document.
void ConfigureIconPageDocument(TSimpleXML& document);

// Clears the document and reads the page at `path` into it: a UTF-8 byte order mark is skipped,
// a page whose root element is incomplete or holds an element or property without a name counts
// as damaged, a root property "1Location" in any letter case is renamed "1location". Returns what stands
// after the root element (from its first non-blank byte; empty when only blanks follow), which
// the document does not hold, so that saving can write it back. Throws IconPageLoadError
// ("Cannot open file <path>", the refusal of a file above AtomicFile::kMaxFileBytes, or
// LoadingErrorText with the reason and its line and column).
// `preread` holds the file's bytes when the caller has read them already; they are taken.
// `stamp`, when given, receives the stamp of the bytes read (a save checks the file against it).
std::string LoadIconPageDocument(TSimpleXML& document, const std::string& path, std::string* preread = nullptr,
                                 FileStamp* stamp = nullptr);

// The page size from the root's Size ("w,h", at most 3 characters of h); nothing when the root
// has no Size that reads.
std::optional<std::pair<int, int>> ReadPageSize(TSimpleXMLElem& root);

// The value of a property (first of that name, letter case ignored); throws MissingPropertyError.
std::string RequiredValue(TSimpleXMLElem& element, const std::string& name);
// Sets the value of an existing property; throws MissingPropertyError.
void SetRequiredValue(TSimpleXMLElem& element, const std::string& name, std::string value);
// The value of a property, or empty text when the element lacks it: how the tree and the editor
// show a missing value. The view lasts until the element's properties change.
TSimpleXMLText ValueOrEmpty(const TSimpleXMLElem& element, std::string_view name);
// Whether a child of the root is a POI (an element; comments and text between them are not).
bool IsPoiElement(const TSimpleXMLElem& element);

// Puts the properties of one Icon element into the fixed order, keeping only the first of each
// known name and dropping the others.
void RearrangeProperties(TSimpleXMLProps& properties);
// Rearranges every child of the root whose tag is exactly "Icon".
void RearrangeIconElements(TSimpleXMLElem& root);

// The bytes of a saved page: the serialised document, or with a byte order mark the bytes
// EF BB BF, the first line ended by a single LF, then the rest as serialised; then `trailer`,
// the content that followed the root element when the page was read.
std::string IconPageBytes(TSimpleXML& document, bool writeBom, std::string_view trailer = {});

// In a world-only POI's description, the first line that equals `oldLine` becomes `newLine`
// (the line that repeats the world location follows it when the POI moves). No description, or
// no such line, changes nothing.
void ReplaceDescriptionLine(TSimpleXMLElem& poi, std::string_view oldLine, std::string_view newLine);

// The document as a save writes it, without the XML declaration line before the root: how an
// element stands as text in a page.
std::string TextWithoutDeclaration(TSimpleXML& document);
