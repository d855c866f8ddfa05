// View > Marker Style and View > Marker Size: how the markers are drawn (filled discs as described,
// or rings the map shows through) and how large, remembered in the configuration. The defaults
// draw the markers as described.
#include "app/MainWindow.h"

#include "app/Configuration.h"
#include "mapview/MapPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {

const char* const kViewSection = "VIEW";
const char* const kStyleKey = "MarkerStyle";
const char* const kSizeKey = "MarkerSize";

// One choice of a submenu: its action's name, the value the configuration keeps, and the look.
struct FillChoice {
    const char* action;
    const char* value;
    MarkerFill fill;
};
struct ScaleChoice {
    const char* action;
    const char* value;
    MarkerScale scale;
};
// The first of each list is the default, also for a value the configuration does not know.
const FillChoice kFills[] = {
    {"ViewMarkerFilled", "Filled", MarkerFill::Filled},
    {"ViewMarkerOutline", "Outline", MarkerFill::Outline},
};
const ScaleChoice kScales[] = {
    {"ViewMarkerSizeDescribed", "Described", MarkerScale::Described},
    {"ViewMarkerSizeSmall", "Small", MarkerScale::Small},
    {"ViewMarkerSizeTiny", "Tiny", MarkerScale::Tiny},
};

template <typename Choice, std::size_t N>
const Choice& chosen(const Choice (&choices)[N], const std::string& value)
{
    for (const Choice& choice : choices)
        if (EqualsNoCase(value, choice.value))
            return choice;
    return choices[0];
}

MarkerLook readMarkerLook(const QString& iniPath)
{
    const ProfileFile profile = ConfigurationProfile(iniPath.toStdString());
    MarkerLook look;
    look.fill = chosen(kFills, profile.readString(kViewSection, kStyleKey)).fill;
    look.scale = chosen(kScales, profile.readString(kViewSection, kSizeKey)).scale;
    return look;
}

} // namespace

void TForm1::createMarkerLookMenus()
{
    // One submenu of exclusive checkable items per setting, each item an action of the window.
    auto submenu = [this](const char* name, const auto& choices) {
        QMenu* menu = m_viewMenu->addMenu(QString());
        menu->setObjectName(QLatin1String(name));
        m_menus << menu;
        auto* group = new QActionGroup(menu);
        for (const auto& choice : choices) {
            auto* act = new QAction(this);
            act->setObjectName(QLatin1String(choice.action));
            act->setCheckable(true);
            group->addAction(act);
            menu->addAction(act);
            m_actions << act;
        }
    };
    submenu("ViewMarkerStyle", kFills);
    submenu("ViewMarkerSize", kScales);
}

void TForm1::connectMarkerLook()
{
    const MarkerLook look = readMarkerLook(m_configPath);
    for (const FillChoice& choice : kFills) {
        QAction* act = action(QLatin1String(choice.action));
        act->setChecked(choice.fill == look.fill);
        connect(act, &QAction::triggered, this, [this]() { markerLookChosen(); });
    }
    for (const ScaleChoice& choice : kScales) {
        QAction* act = action(QLatin1String(choice.action));
        act->setChecked(choice.scale == look.scale);
        connect(act, &QAction::triggered, this, [this]() { markerLookChosen(); });
    }
    m_ui.Panel1->setMarkerLook(look);
}

void TForm1::markerLookChosen()
{
    MarkerLook look;
    std::string fill = kFills[0].value;
    std::string scale = kScales[0].value;
    for (const FillChoice& choice : kFills)
        if (action(QLatin1String(choice.action))->isChecked()) {
            look.fill = choice.fill;
            fill = choice.value;
        }
    for (const ScaleChoice& choice : kScales)
        if (action(QLatin1String(choice.action))->isChecked()) {
            look.scale = choice.scale;
            scale = choice.value;
        }
    m_ui.Panel1->setMarkerLook(look);
    // A view preference that cannot be kept must not stop the editing.
    try {
        ProfileFile profile = ConfigurationProfile(m_configPath.toStdString());
        profile.writeString(kViewSection, kStyleKey, fill);
        profile.writeString(kViewSection, kSizeKey, scale);
    } catch (const std::exception&) {
    }
}
