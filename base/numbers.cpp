#include "numbers.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>

namespace num {

double RoundHalfEven(double v) {
    return std::nearbyint(v);
}

namespace {

template <typename T> T ConvertRounded(double v, const char* what) {
    if (!std::isfinite(v)) {
        throw NumberError(std::string(what) + ": not a finite number");
    }
    const double r = std::nearbyint(v); // default rounding mode: half to even
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max())) {
        throw NumberError(std::string(what) + ": overflow");
    }
    return static_cast<T>(r);
}

// The scientific form of v: the shortest that reads back as the same value (as a single when
// `single`), or `digits` significant digits when the shortest needs more.
std::string Scientific(double v, int digits, bool single) {
    char buf[64];
    auto res = single ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(v),
                                      std::chars_format::scientific)
                      : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    std::string sci(buf, res.ptr);
    const auto ePos = sci.find('e');
    int significant = 0;
    for (std::size_t i = 0; i < ePos; ++i) {
        significant += (sci[i] >= '0' && sci[i] <= '9') ? 1 : 0;
    }
    if (significant > digits) {
        res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
        sci.assign(buf, res.ptr);
    }
    return sci;
}

// Writes v the way captions show numbers: shortest form of at most `digits` significant
// digits, no trailing zeros, positional for ordinary magnitudes.
std::string GeneralText(double v, int digits, int maxPositionalExponent, char separator,
                        bool single) {
    if (v == 0.0 || !std::isfinite(v)) {
        return v == 0.0 ? "0" : (std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf"));
    }
    const std::string sci = Scientific(v, digits, single);
    const auto ePos = sci.find('e');
    std::string mantissa = sci.substr(0, ePos);
    const int exponent = std::stoi(sci.substr(ePos + 1));
    bool negative = false;
    if (!mantissa.empty() && mantissa[0] == '-') {
        negative = true;
        mantissa.erase(0, 1);
    }
    std::string digitsOnly;
    for (char c : mantissa) {
        if (c != '.') {
            digitsOnly += c;
        }
    }
    while (digitsOnly.size() > 1 && digitsOnly.back() == '0') {
        digitsOnly.pop_back();
    }
    std::string out = negative ? "-" : "";
    if (exponent >= -4 && exponent <= maxPositionalExponent) {
        if (exponent < 0) {
            out += '0';
            out += separator;
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += digitsOnly;
        } else {
            const auto intDigits = static_cast<size_t>(exponent + 1);
            if (digitsOnly.size() <= intDigits) {
                out += digitsOnly;
                out.append(intDigits - digitsOnly.size(), '0');
            } else {
                out += digitsOnly.substr(0, intDigits);
                out += separator;
                out += digitsOnly.substr(intDigits);
            }
        }
        return out;
    }
    out += digitsOnly.substr(0, 1);
    if (digitsOnly.size() > 1) {
        out += separator;
        out += digitsOnly.substr(1);
    }
    char expBuf[16];
    std::snprintf(expBuf, sizeof expBuf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return out + expBuf;
}

} // namespace

std::int16_t CInt(double v) {
    return ConvertRounded<std::int16_t>(v, "CInt");
}
std::int32_t CLng(double v) {
    return ConvertRounded<std::int32_t>(v, "CLng");
}
double Int(double v) {
    return std::floor(v);
}
double Fix(double v) {
    return std::trunc(v);
}

char DecimalSeparator() {
    const std::lconv* lc = std::localeconv();
    return (lc && lc->decimal_point && lc->decimal_point[0]) ? lc->decimal_point[0] : '.';
}

std::string DoubleText(double v, char separator) {
    return GeneralText(v, 15, 14, separator, false);
}

std::string SingleText(float v, char separator) {
    return GeneralText(static_cast<double>(v), 7, 6, separator, true);
}

std::string IntText(std::int64_t v) {
    return std::to_string(v);
}

namespace {

// Parses the longest number at the start of `text`; returns the characters used (0: none).
size_t ScanNumber(std::string_view text, char separator, double& value) {
    std::string normal;
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        normal += text[i++];
    }
    const size_t digitsStart = normal.size();
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        normal += text[i++];
    }
    if (i < text.size() && text[i] == separator) {
        normal += '.';
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            normal += text[i++];
        }
    }
    if (normal.size() == digitsStart || normal.substr(digitsStart) == ".") {
        return 0;
    }
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        size_t j = i + 1;
        std::string exp = "e";
        if (j < text.size() && (text[j] == '-' || text[j] == '+')) {
            exp += text[j++];
        }
        const size_t expDigits = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            exp += text[j++];
        }
        if (j > expDigits) {
            normal += exp;
            i = j;
        }
    }
    const char* first = normal.data();
    if (*first == '+') {
        ++first;
    }
    auto res = std::from_chars(first, normal.data() + normal.size(), value);
    if (res.ec != std::errc()) {
        return 0;
    }
    return i;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

} // namespace

double ParseNumber(std::string_view text, char separator) {
    const std::string_view t = Trim(text);
    double value = 0;
    const size_t used = ScanNumber(t, separator, value);
    if (used == 0 || used != t.size()) {
        throw NumberError("not a number: \"" + std::string(text) + "\"");
    }
    return value;
}

double LeadingNumber(std::string_view text, char separator) {
    double value = 0;
    return ScanNumber(Trim(text), separator, value) ? value : 0.0;
}

} // namespace num
