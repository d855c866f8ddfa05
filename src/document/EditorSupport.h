#pragma once
// Small pieces shared by the icon page editor's files: text conversion at the widget boundary and
// the guard of the Updating flag.

#include <QString>

#include <string>
#include <string_view>

// Document values are UTF-8; widgets show QString.
inline QString fromDoc(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toDoc(const QString& text)
{
    return text.toStdString();
}

// Sets a flag for the lifetime of the guard, also when an exception leaves the scope: the change
// handlers ignore what the program itself fills in meanwhile. It gives back the value it found,
// so a guard nested in another one (a fill inside an apply) leaves the outer one in force.
class UpdatingGuard {
public:
    explicit UpdatingGuard(bool& flag) : m_flag(flag), m_found(flag) { m_flag = true; }
    ~UpdatingGuard() { m_flag = m_found; }
    UpdatingGuard(const UpdatingGuard&) = delete;
    UpdatingGuard& operator=(const UpdatingGuard&) = delete;

    // The flag was already set when this guard began.
    bool nested() const { return m_found; }

private:
    bool& m_flag;
    const bool m_found;
};

// The four value nodes under a POI's node, in the order they are added.
inline const char* const kPoiValueProperties[] = {"Location", "pathfindlocation", "IconStyle", "Tooltip"};
