#include "tools/PoiSubmission.h"

#include "document/IconPageFile.h"
#include "support/ConfigRules.h"
#include "support/TextUtil.h"

namespace {

const char* const kDefaultTypes[] = {
    "LOC: Just a Location, such as any named locations or a rock that is inspecable.",
    "MOB: Just generic enemy groups that are only found at or near the marked spot.",
    "NAMED: A specific named enemy, meant for players to fight.",
    "NPC: Non Player Character",
    "QST: An object activated for use in a quest, preferably only ones that start quests.",
    "ZONE: Zone-line marker.",
};

// The page's style code whose list item carries a longer name.
const char* const kNamedStyle = "NAME";
const char* const kNamedItem = "NAMED";

const char* const kNoDescriptionTrue = "true";
const char* const kNoDescriptionFalse = "false";

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

PoiRecord ReadPoiRecord(TSimpleXML& page, int poiIndex, const std::optional<std::string>& zoneName,
                        const std::string& typeProperty)
{
    TSimpleXMLElem* poi = page.Root().Items().Item(poiIndex);
    if (!poi)
        throw MissingPropertyError("Icon");
    PoiRecord record;
    record.name = fromUtf8(RequiredValue(*poi, "Name"));
    record.iconStyle = fromUtf8(RequiredValue(*poi, typeProperty));
    record.zone = fromUtf8(zoneName ? *zoneName : RequiredValue(page.Root(), "1location"));
    record.pathLocation = fromUtf8(RequiredValue(*poi, "pathfindlocation"));
    record.tooltip = fromUtf8(RequiredValue(*poi, "Tooltip"));
    return record;
}

QStringList DefaultPoiTypes()
{
    QStringList types;
    for (const char* type : kDefaultTypes)
        types << QString::fromUtf8(type);
    return types;
}

QStringList ConfiguredPoiTypes(const ProfileFile& profile)
{
    QStringList types;
    // The text after the first "=" as it stands: blanks there are part of the item.
    for (const std::string& line : profile.sectionLines(Config::kMapTypesSection, true)) {
        if (line.find('=') == std::string::npos)
            continue;
        types << fromUtf8(SplitAt(line, '=').rest);
    }
    return types;
}

int ChoosePoiType(const QStringList& types, const QString& iconStyle)
{
    const QString style = iconStyle == QLatin1String(kNamedStyle) ? QString::fromLatin1(kNamedItem) : iconStyle;
    if (style.isEmpty())
        return -1;
    for (int i = 0; i < types.size(); ++i) {
        if (types[i].startsWith(style, Qt::CaseSensitive))
            return i;
    }
    return -1;
}

QByteArray EscapeFormValue(const QString& value)
{
    const QByteArray bytes = value.toUtf8();
    QByteArray escaped;
    escaped.reserve(bytes.size());
    for (const char c : bytes) {
        if (c == '%' || c == '&' || c == '=' || c == '+')
            escaped += '%' + QByteArray(1, c).toHex().toUpper();
        else
            escaped += c;
    }
    return escaped;
}

QByteArray BuildSubmitBody(const PoiSubmission& submission)
{
    const char* const flag = submission.noDescription ? kNoDescriptionTrue : kNoDescriptionFalse;
    return "name=" + EscapeFormValue(submission.name) + "&type=" + EscapeFormValue(submission.type)
        + "&zone=" + EscapeFormValue(submission.zone) + "&loc=" + EscapeFormValue(submission.pathLocation)
        + "&nodescription=" + flag + "&description=" + EscapeFormValue(submission.description)
        + "&submitting=1&username=" + EscapeFormValue(submission.userName) + "&summit=Submit this POI";
}

QByteArray SubmitPayload(const QByteArray& body)
{
    QByteArray payload = body;
    payload.append('\0');
    return payload;
}
