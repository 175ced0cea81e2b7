#include "common/Numbers.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

namespace common {

double Val(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';

    std::string number;
    bool wholeDigitAboveZero = false;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        wholeDigitAboveZero |= text[pos] != '0';
        number += text[pos++];
    }
    if (pos < text.size() && text[pos] == '.') {
        number += text[pos++];
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') number += text[pos++];
    }
    if (number.empty() || number == ".") return 0.0;
    if (number.front() == '.') number.insert(number.begin(), '0');

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large for a double, or so small that it is 0.
        value = wholeDigitAboveZero ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

long CLng(double value) {
    if (std::isnan(value)) return 0;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    // 2^63 is exactly representable; every double below it fits in long.
    constexpr double kLimit = 9223372036854775808.0;
    if (whole >= kLimit) return LONG_MAX;
    if (whole < -kLimit) return LONG_MIN;
    return static_cast<long>(whole);
}

namespace {

// A decimal with up to 15 significant digits, exponent form for very large
// or small values ("1E+15", "1E-05"), with a zero before a leading point.
std::string decimal(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    if (value == 0.0) return "0";  // also -0
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    // General form drops trailing zeros, as the printer does.
    std::string text(buffer, result.ptr);
    if (auto e = text.find('e'); e != std::string::npos) text[e] = 'E';
    return text;
}

}  // namespace

std::string Str(double value) {
    std::string text = decimal(value);
    const bool negative = text.front() == '-';
    if (negative) text.erase(0, 1);
    if (text.rfind("0.", 0) == 0) text.erase(0, 1);
    return (negative ? "-" : " ") + text;
}

std::string CStrNum(double value) { return decimal(value); }

}  // namespace common
