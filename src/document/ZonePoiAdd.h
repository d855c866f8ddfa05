#pragma once
// A new icon for a zone page of a file (the game's map window file, a map pack POI file), made
// like its siblings: their properties in their order, with what the Add POI dialog gives. The
// zone page sources call these.

#include "document/PageSource.h"
#include "support/xml/SimpleXml.h"

// Appends an Icon with the sibling's properties in their order, with Name, Location,
// pathfindlocation, IconStyle and Tooltip from the dialog (icons laid out by their corner).
// A property the dialog sets that the sibling lacks is added at the end. Returns the new icon.
TSimpleXMLElem& AppendLaidOutIcon(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& sibling);

// The same for a world-only icon: the name "ID<nextId>", the dialog's world location (two
// decimals), type, tooltip, the keyword and resource that a sibling of the same type has (else
// the type in lower case) and the description "ID:<nextId>", the world location.
TSimpleXMLElem& AppendWorldIcon(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& sibling,
                                long long nextId);

// The same for a map link: an Icon with the sibling's properties (the map it leads to among them)
// and Name, Location, poiresource and Tooltip from the dialog.
TSimpleXMLElem& AppendMapLinkIcon(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& sibling);
