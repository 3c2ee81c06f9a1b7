#include "typed_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace numir {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;
constexpr char32_t ideographicSpace = 0x3000;

// Length of a UTF-8 sequence from its lead byte, 0 when the byte cannot start one.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one sequence starting at text[pos]; returns the code point, or nothing when
// the bytes are not a well-formed, shortest-form scalar value.
bool decodeOne(std::string_view text, std::size_t pos, int length, char32_t& out) {
    if (pos + length > text.size())
        return false;
    auto lead = static_cast<unsigned char>(text[pos]);
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!isContinuation(byte))
            return false;
        value = (value << 6) | (byte & 0x3F);
    }
    static constexpr char32_t smallestForLength[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallestForLength[length] || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF))
        return false;
    out = value;
    return true;
}

bool isBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\n' || c == ideographicSpace;
}

// Folds the full-width forms of the number's characters to ASCII; anything else stays.
char32_t foldFullWidth(char32_t c) {
    bool numberPart = (c >= 0xFF10 && c <= 0xFF19) || c == 0xFF0B || c == 0xFF0D || c == 0xFF0E ||
                      c == 0xFF25 || c == 0xFF45;
    return numberPart ? c - 0xFEE0 : c;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number read character by character: sign, digits with at most one point, and
// an exponent. Reading stops at the first character that cannot continue it.
class TypedNumber {
  public:
    // False when the character cannot continue the number.
    bool take(char c) {
        switch (stage_) {
        case Stage::Sign:
            if (c == '+' || c == '-') {
                negative_ = c == '-';
                stage_ = Stage::Mantissa;
                return true;
            }
            [[fallthrough]];
        case Stage::Mantissa:
            if (isDigit(c) || (c == '.' && mantissa_.find('.') == std::string::npos)) {
                mantissa_.push_back(c);
                hasDigit_ = hasDigit_ || isDigit(c);
                stage_ = Stage::Mantissa;
                return true;
            }
            if (stage_ == Stage::Mantissa && hasDigit_ && (c == 'e' || c == 'E')) {
                stage_ = Stage::ExponentSign;
                return true;
            }
            return false;
        case Stage::ExponentSign:
            if (c == '+' || c == '-') {
                exponentSign_ = c == '-' ? -1 : 1;
                stage_ = Stage::ExponentDigits;
                return true;
            }
            [[fallthrough]];
        case Stage::ExponentDigits:
            if (!isDigit(c))
                return false;
            // Saturated: far beyond any double either way, and no overflow.
            exponent_ = std::min(exponent_ * 10 + (c - '0'), 1'000'000'000LL);
            stage_ = Stage::ExponentDigits;
            return true;
        }
        return false;
    }

    double value() const {
        if (!hasDigit_)
            return 0.0;
        // An exponent marker without digits is not part of the number.
        long long exponent = stage_ == Stage::ExponentDigits ? exponent_ * exponentSign_ : 0;
        std::string text = mantissa_;
        text.push_back('e');
        text += std::to_string(exponent);
        double magnitude = 0.0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude,
                                            std::chars_format::general);
        if (error == std::errc::result_out_of_range)
            magnitude = decimalPlaces(exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return negative_ ? -magnitude : magnitude;
    }

  private:
    enum class Stage { Sign, Mantissa, ExponentSign, ExponentDigits };

    // Roughly the decimal exponent of the leading digit; only its sign matters, to tell
    // overflow from underflow.
    long long decimalPlaces(long long exponent) const {
        auto firstNonZero = mantissa_.find_first_not_of("0.");
        if (firstNonZero == std::string::npos)
            return -1;
        auto point = mantissa_.find('.');
        auto integerDigits = point == std::string::npos ? mantissa_.size() : point;
        return static_cast<long long>(integerDigits) - static_cast<long long>(firstNonZero) +
               exponent;
    }

    Stage stage_ = Stage::Sign;
    bool negative_ = false;
    std::string mantissa_;
    bool hasDigit_ = false;
    int exponentSign_ = 1;
    long long exponent_ = 0;
};

} // namespace

std::u32string decodeUtf8(std::string_view text) {
    std::u32string decoded;
    decoded.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        int length = sequenceLength(static_cast<unsigned char>(text[pos]));
        char32_t c = 0;
        if (length > 0 && decodeOne(text, pos, length, c)) {
            decoded.push_back(c);
            pos += static_cast<std::size_t>(length);
        } else {
            decoded.push_back(replacementCharacter);
            ++pos;
        }
    }
    return decoded;
}

double numericValue(std::u32string_view text) {
    TypedNumber number;
    for (char32_t raw : text) {
        if (isBlank(raw))
            continue;
        char32_t c = foldFullWidth(raw);
        if (c >= 0x80 || !number.take(static_cast<char>(c)))
            break;
    }
    return number.value();
}

double numericValue(std::string_view utf8Text) {
    return numericValue(decodeUtf8(utf8Text));
}

std::u32string_view trimSpaces(std::u32string_view text) {
    auto isSpace = [](char32_t c) { return c == U' ' || c == ideographicSpace; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace numir
