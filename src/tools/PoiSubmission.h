#pragma once
// What the POI submission dialog reads and sends, without widgets: the POI's fields taken from the
// page, the type list and its choice rule, and the form body posted to the fan site.

#include "support/ProfileFile.h"
#include "support/xml/SimpleXml.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

// The five values a POI submission starts from, as the page holds them.
struct PoiRecord {
    QString name;
    QString iconStyle;
    QString zone;  // the page's location name
    QString pathLocation;
    QString tooltip;  // lines joined by CR LF, as in the page
};

// The fields of one submission, as the user left them in the dialog.
struct PoiSubmission {
    QString name;
    QString type;  // the whole item of the type list, empty when none is chosen
    QString zone;
    QString pathLocation;
    QString description;  // lines joined by CR LF
    bool noDescription = false;
    QString userName;
};

// The header value the form body is sent with.
inline constexpr const char* kSubmitContentType = "application/x-www-form-urlencoded";
// Shown instead of the dialog when the POI or the page lacks one of the values.
inline constexpr const char* kSummitFail = "Summit Fail.";

// The POI's Name, IconStyle, pathfindlocation and Tooltip and the root's 1location. Throws
// MissingPropertyError when one is absent (a POI index outside the page counts as absent).
// `zoneName` stands in for the root's "1location" where the page has none of its own (a zone page
// of a file); `typeProperty` names the property that holds the POI's type.
PoiRecord ReadPoiRecord(TSimpleXML& page, int poiIndex, const std::optional<std::string>& zoneName = std::nullopt,
                        const std::string& typeProperty = "IconStyle");

// The built-in type list, in order.
QStringList DefaultPoiTypes();
// The values of the MAPTYPES lines in file order (the text after each line's first "=", as it
// stands); empty when the section is absent or holds no key=value line.
QStringList ConfiguredPoiTypes(const ProfileFile& profile);

// The item to select for an icon style: "NAME" stands for "NAMED", then the first item beginning
// with the style (letter case counts). -1 for an empty style or when no item begins with it.
int ChoosePoiType(const QStringList& types, const QString& iconStyle);

// A value as it stands, in UTF-8, except that the four characters that would split or change
// the form's fields ("%", "&", "=", "+") are percent-encoded with upper-case hex.
QByteArray EscapeFormValue(const QString& value);

// The form body: the field keys of the fan site's form with the escaped values, in its order.
QByteArray BuildSubmitBody(const PoiSubmission& submission);

// The bytes posted: the body followed by one zero byte, which the site has always received.
QByteArray SubmitPayload(const QByteArray& body);
