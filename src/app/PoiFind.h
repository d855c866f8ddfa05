#pragma once
// Finding a POI by text: which entry of the tree's list matches next, forwards or backwards,
// wrapping around. No widget code; the find bar and tests call it directly.

#include <QList>
#include <QString>

// What find looks at in one POI: its name and its tooltip.
struct FindCandidate {
    QString name;
    QString tooltip;
};

// Whether `candidate`'s name or tooltip contains `text`, letter case ignored; an empty text
// matches nothing.
bool FindMatches(const FindCandidate& candidate, const QString& text);

// The index of the first match after `from` (step +1) or before it (step -1), wrapping around
// the list and ending with `from` itself; `from` = -1 starts before the first entry (step +1)
// or after the last (step -1). -1 when nothing matches.
int FindNextMatch(const QList<FindCandidate>& candidates, const QString& text, int from, int step);
