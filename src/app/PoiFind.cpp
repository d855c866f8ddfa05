#include "app/PoiFind.h"

bool FindMatches(const FindCandidate& candidate, const QString& text)
{
    return !text.isEmpty()
        && (candidate.name.contains(text, Qt::CaseInsensitive)
            || candidate.tooltip.contains(text, Qt::CaseInsensitive));
}

int FindNextMatch(const QList<FindCandidate>& candidates, const QString& text, int from, int step)
{
    const int count = static_cast<int>(candidates.size());
    if (count == 0 || (step != 1 && step != -1))
        return -1;
    if (from < 0 || from >= count)
        from = step > 0 ? count - 1 : 0;  // so the first step lands on the first or the last
    for (int i = 1; i <= count; ++i) {
        const int index = ((from + step * i) % count + count) % count;
        if (FindMatches(candidates[index], text))
            return index;
    }
    return -1;
}
