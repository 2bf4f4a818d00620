// The result-list parser on any page, decoded as Windows-1252 and as UTF-8: no crash, one
// line per film link at most, every line "id - title" with a 32-bit id and a title cut to
// kMaxResultTitle, and a page that breaks off says why. libFuzzer's -timeout catches a
// page that makes the parser slow.
#include "FuzzCheck.h"

#include "net/Download.h"
#include "net/ResultList.h"

#include <QRegularExpression>

using namespace kinora;

namespace {

void checkPage(const QString& page)
{
    static const QRegularExpression line(QStringLiteral("^-?[0-9]{1,10} - "));
    const ResultList list = FillResultList(page);
    KINORA_FUZZ_CHECK(list.lines.size() <= page.count(QStringLiteral("view.php?page=film&fid=")));
    for (const QString& text : list.lines) {
        const QRegularExpressionMatch match = line.match(text);
        KINORA_FUZZ_CHECK(match.hasMatch());
        KINORA_FUZZ_CHECK(text.size() - match.capturedLength() <= kMaxResultTitle);
    }
    KINORA_FUZZ_CHECK(list.status.ok() == list.status.error().isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    checkPage(DecodePage(body, "text/html"));
    checkPage(DecodePage(body, "text/html; charset=utf-8"));
    return 0;
}
