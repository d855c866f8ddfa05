#pragma once
// Mistyped world locations: whether a location text is three plain numbers, and the one repair
// that stands out when it is not. No Qt; the check proposes, only the user applies.

#include <optional>
#include <string>
#include <string_view>

// A number as the files write it: an optional minus, digits, and a point with digits after it.
bool IsPlainNumber(std::string_view text);

// Three plain numbers separated as WorldLocation reads them (commas, or blanks only).
bool IsPlainWorldLocation(std::string_view text);

// The repaired text, separated as the text was, when exactly one reading of a location that is
// not three plain numbers makes it three plain numbers. The readings:
//  - a leading "+" is dropped;
//  - a dot before a number that has a point of its own, or doubled, is dropped (".59.79" and
//    "59..79" read "59.79"); a lone leading dot becomes "0." (".5" reads "0.5");
//  - a minus after a number is dropped ("36.24-" reads "36.24"), as is one right after a point
//    ("-46.-2" reads "-46.2");
//  - a minus between digits, with two digits after it and no point in the number, was the
//    point ("-223-61" reads "-223.61");
//  - a minus between two numbers with points stands for the separator the text lost
//    ("038.16-322.84" reads as two numbers);
//  - with one number too many, two neighbours join: "-494,73" as a decimal comma ("-494.73")
//    when the second is digits only, "-2,038.16" as a thousands separator ("-2038.16") when the
//    first has one to three digits and the second three before its point. Two ways to join:
//    no repair.
// Nothing for a text that is already plain or has no such reading.
std::optional<std::string> ProposeLocationRepair(std::string_view text);
