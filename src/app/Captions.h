#pragma once
// The window texts of both languages: one table per language, looked up by the control's or
// action's name, so no caption is scattered through the widget code.

#include "mapview/Language.h"

#include <QString>

// The caption of a control, action or menu in the given language; an empty text for unknown names.
QString caption(Language language, const char* name);

// The two captions of the POI submission action name the fan site, taken from the submission URL:
// the Korean caption its domain, the English one its host.
QString postPoiCaption(Language language, const QString& poiUrl);
