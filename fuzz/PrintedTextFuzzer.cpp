// kinora-cli's printed and exported text on any input: plain output carries no control
// character but the line feed, and a CSV cell reads back as its text, never as a formula.
#include "FuzzCheck.h"

#include "cli/CliSupport.h"

using namespace kinora;

namespace {

bool isControl(char16_t u)
{
    return (u < 0x20 && u != u'\n') || (u >= 0x7F && u <= 0x9F);
}

void checkVisible(const QString& text)
{
    const QString shown = cli::visible(text);
    qsizetype controls = 0;
    qsizetype at = 0; // every other character is kept, in order
    for (QChar c : text) {
        if (isControl(c.unicode())) {
            ++controls;
            KINORA_FUZZ_CHECK(shown.mid(at, 2) == QLatin1String("\\x"));
            at += 4;
        } else {
            KINORA_FUZZ_CHECK(at < shown.size() && shown.at(at) == c);
            ++at;
        }
    }
    KINORA_FUZZ_CHECK(shown.size() == text.size() + 3 * controls && at == shown.size());
    for (QChar c : shown)
        KINORA_FUZZ_CHECK(!isControl(c.unicode()));
}

// Reads the field as a spreadsheet does (RFC 4180); false when it is no single valid field.
bool readCsvField(const QString& field, QString* value)
{
    if (!field.startsWith(u'"')) {
        *value = field;
        return !field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n') &&
               !field.contains(u'\r');
    }
    if (field.size() < 2 || !field.endsWith(u'"'))
        return false;
    value->clear();
    for (qsizetype i = 1; i < field.size() - 1; ++i) {
        if (field.at(i) == u'"' && (i + 1 >= field.size() - 1 || field.at(++i) != u'"'))
            return false;
        value->append(field.at(i));
    }
    return true;
}

void checkCsvField(const QString& text)
{
    QString value;
    KINORA_FUZZ_CHECK(readCsvField(cli::csvField(text), &value));
    const bool formula = !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front());
    KINORA_FUZZ_CHECK(value == (formula ? u'\'' + text : text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const QString& text : {fuzz::utf8Text(data, size), fuzz::utf16Text(data, size)}) {
        checkVisible(text);
        checkCsvField(text);
    }
    return 0;
}
