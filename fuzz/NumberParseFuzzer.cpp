// The leading-number parse and the 32-bit conversion on any text: no crash, no undefined
// behaviour (float-to-int overflow included), blanks anywhere never change the number, and
// the conversion lands on the nearest integer or the nearest bound.
#include "FuzzCheck.h"

#include "store/NumberParse.h"

#include <cmath>
#include <limits>

using namespace kinora;

namespace {

void checkConversion(double value)
{
    const qint32 n = ToInt32(value);
    if (std::isnan(value)) {
        KINORA_FUZZ_CHECK(n == 0);
    } else if (value >= 2147483647.0) {
        KINORA_FUZZ_CHECK(n == std::numeric_limits<qint32>::max());
    } else if (value <= -2147483648.0) {
        KINORA_FUZZ_CHECK(n == std::numeric_limits<qint32>::min());
    } else {
        KINORA_FUZZ_CHECK(std::fabs(double(n) - value) <= 0.5);
    }
}

void checkText(const QString& text)
{
    const double value = ParseLeadingNumber(text);
    checkConversion(value);

    // Blanks, tabs and line feeds are skipped wherever they stand.
    QString spread;
    const char16_t blanks[] = {u' ', u'\t', u'\n'};
    for (qsizetype i = 0; i < text.size(); ++i) {
        spread += QChar(blanks[i % 3]);
        spread += text[i];
    }
    const double again = ParseLeadingNumber(spread);
    KINORA_FUZZ_CHECK((std::isnan(value) && std::isnan(again)) || value == again);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    checkText(fuzz::utf8Text(data, size));
    checkText(fuzz::utf16Text(data, size));
    // Any 64-bit pattern as a double: infinities, NaNs, denormals, values far out of range.
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        checkConversion(raw);
    }
    return 0;
}
