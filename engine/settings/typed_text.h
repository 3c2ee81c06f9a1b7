// Turns what the user typed into numbers. Input arrives as UTF-8 from the window;
// full-width digits, signs and blanks (as a Japanese input method types them) count
// as their ASCII twins. Conversion never depends on the C locale. What the numbers
// mean is left to the settings and the validation.
#pragma once

#include <string>
#include <string_view>

namespace numir {

// One code point per character; an invalid UTF-8 byte becomes U+FFFD, which is no digit.
std::u32string decodeUtf8(std::string_view text);

// The value of the decimal number the text begins with (sign, digits, point, fraction,
// exponent). Blanks anywhere are ignored; text that does not begin with a number gives 0;
// a value too large for a double gives plus or minus infinity.
double numericValue(std::u32string_view text);
double numericValue(std::string_view utf8Text);

// Removes spaces (ASCII and ideographic) from both ends.
std::u32string_view trimSpaces(std::u32string_view text);

} // namespace numir
