// Numbers in texts as the tool's boxes and files hold them.
#pragma once

#include <string>
#include <string_view>

namespace common {

// The number at the start of a text: leading blanks skipped, an optional
// sign, digits and an optional fraction after '.'. 0 when the text does not
// start so ("10abc" is 10, "abc" and "" are 0, ".5" is 0.5).
double Val(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 is
// 2, 3.5 is 4), clamped to the range of long. NaN gives 0.
long CLng(double value);

// A number in decimal as a number printer writes it: a blank in the sign
// place for 0 or more, no trailing zeros, no zero before the decimal point
// (" 4", " 4.5", "-1", " .5"), at most 15 significant digits.
std::string Str(double value);

// A number in decimal for a text box: no sign place ("4", "4.5", "0.5").
std::string CStrNum(double value);

}  // namespace common
