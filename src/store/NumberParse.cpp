#include "store/NumberParse.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kinora {

namespace {

bool isSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Characters of the text with the skipped ones removed, read on demand.
class Reader
{
public:
    explicit Reader(QStringView text) : m_text(text) { skip(); }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }
    void next()
    {
        ++m_pos;
        skip();
    }
    void takeSign(std::string& out)
    {
        if (peek() == u'-' || peek() == u'+') {
            out += char(peek().unicode());
            next();
        }
    }
    // Appends the decimal digits that follow; false when there are none.
    bool takeDigits(std::string& out)
    {
        const size_t before = out.size();
        while (peek().unicode() >= '0' && peek().unicode() <= '9') {
            out += char(peek().unicode());
            next();
        }
        return out.size() > before;
    }

private:
    void skip()
    {
        while (m_pos < m_text.size() && isSkipped(m_text[m_pos]))
            ++m_pos;
    }
    QStringView m_text;
    qsizetype m_pos = 0;
};

double parseRadix(Reader& in, int radix)
{
    // Saturates instead of overflowing: a long hexadecimal run gives a huge value, which the
    // 32-bit conversion then clamps.
    double value = 0;
    bool any = false;
    for (;;) {
        const QChar c = in.peek();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (radix == 16 && c.toUpper() >= u'A' && c.toUpper() <= u'F')
            digit = c.toUpper().unicode() - u'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        value = value * radix + digit;
        any = true;
        in.next();
    }
    return any ? value : 0.0;
}

} // namespace

double ParseLeadingNumber(QStringView text)
{
    Reader in(text);
    if (in.peek() == u'&') {
        in.next();
        const QChar kind = in.peek().toUpper();
        if (kind == u'H') {
            in.next();
            return parseRadix(in, 16);
        }
        if (kind == u'O')
            in.next();
        return parseRadix(in, 8);
    }

    // Collect the longest prefix that forms a decimal number, then convert it in one go.
    std::string number;
    in.takeSign(number);
    bool digits = in.takeDigits(number);
    if (in.peek() == u'.') {
        number += '.';
        in.next();
        digits = in.takeDigits(number) || digits;
    }
    if (!digits)
        return 0.0;
    if (in.peek() == u'e' || in.peek() == u'E') {
        std::string exponent = "e";
        in.next();
        in.takeSign(exponent);
        if (in.takeDigits(exponent)) // "3e" is 3: the "e" alone does not continue it
            number += exponent;
    }
    // from_chars ignores the process locale (QCoreApplication sets it from the environment)
    // and rounds long mantissas and exponents exactly; out-of-range values become infinite.
    const char* first = number.c_str() + (number[0] == '+' ? 1 : 0);
    const char* last = number.c_str() + number.size();
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        const bool negative = number[0] == '-';
        const bool tiny = number.find("e-") != std::string::npos;
        if (tiny)
            return 0.0;
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    Q_UNUSED(ptr);
    return value;
}

qint32 ToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value); // default rounding mode: halves to even
    if (rounded >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (rounded <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(rounded);
}

bool FitsInt32(double value)
{
    const double rounded = std::nearbyint(value);
    return rounded >= double(std::numeric_limits<qint32>::min()) &&
           rounded <= double(std::numeric_limits<qint32>::max());
}

} // namespace kinora
