#pragma once
// A new icon for a zone page of a file (the game's map window file, a map pack POI file), made
// like its siblings: their properties in their order, with what the Add POI dialog gives.

#include "mapview/PoiAnchorRule.h"
#include "support/xml/SimpleXml.h"
#include "tools/AddpointF.h"

#include <string>
#include <utility>
#include <vector>

using IconProperties = std::vector<std::pair<std::string, std::string>>;

// The properties of an element, in order, as a template for a new one.
IconProperties PropertiesOf(const TSimpleXMLElem& element);

// The largest number n of a Name "ID<n>" among the children of `root`, or 0.
long long LargestIconId(const TSimpleXMLElem& root);

// Appends an Icon with the sibling's properties in their order. Icons laid out by their corner get
// Name, Location, pathfindlocation, IconStyle and Tooltip from the dialog. World-only icons get
// the name "ID<nextId>", the dialog's world location (two decimals), type, tooltip, the keyword
// and resource that a sibling of the same type has (else the type in lower case) and the
// description "ID:<nextId>", the world location. A property the dialog sets that the sibling
// lacks is added at the end. Returns the new icon.
TSimpleXMLElem& AppendZonePoi(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& sibling,
                              PoiAnchor anchor, long long nextId);
