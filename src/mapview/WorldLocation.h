#pragma once
// A world location text ("x, height, z") as the game's files hold it: read in every form found
// there, written back in the form it had. x and z are numbers; the height is kept as text, since
// nothing here computes with it. Plain C++; numbers use a point as decimal separator.

#include <optional>
#include <string>
#include <string_view>

struct WorldLocation {
    // How the three parts were separated, so that a rewritten location keeps its form.
    enum class Separator {
        CommaBlank,  // "x, y, z": the editor's own form
        Comma,       // "x,y,z"
        Blank,       // "x y z"
    };
    // Which form a rewritten text takes: the editor's, or the one the text had.
    enum class Form { Editor, Own };

    double x = 0;
    std::string middle;  // the height, trimmed, as it stands
    double z = 0;
    Separator separator = Separator::CommaBlank;

    // Reads comma-separated parts with any blanks around them, or three parts separated by
    // blanks only (leading and doubled blanks allowed). Nothing when x or z is no number or
    // there are not exactly three parts.
    static std::optional<WorldLocation> Parse(std::string_view text);

    // x and z with two decimals, the height as it stands, separated by the chosen form;
    // nothing when x or z is not finite.
    std::optional<std::string> text(Form form = Form::Editor) const;
    // The same location at another x and z.
    WorldLocation movedTo(double newX, double newZ) const;
};
