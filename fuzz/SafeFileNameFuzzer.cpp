// SafeFileName on any title: only ASCII letters and digits, at most 200 of them, taken in
// order from the title, and stable when applied again.
#include "FuzzCheck.h"

#include "store/InfoFile.h"

using namespace kinora;

namespace {

bool isKept(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

void checkTitle(const QString& title)
{
    const QString name = SafeFileName(title);
    KINORA_FUZZ_CHECK(name.size() <= kMaxSafeNameLength);
    qsizetype from = 0; // the name is a subsequence of the title
    for (QChar c : name) {
        KINORA_FUZZ_CHECK(isKept(c));
        from = title.indexOf(c, from);
        KINORA_FUZZ_CHECK(from >= 0);
        ++from;
    }
    const qsizetype kept = std::count_if(title.begin(), title.end(), isKept);
    KINORA_FUZZ_CHECK(name.size() == qMin(kept, kMaxSafeNameLength));
    KINORA_FUZZ_CHECK(SafeFileName(name) == name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    checkTitle(fuzz::utf8Text(data, size));
    checkTitle(fuzz::utf16Text(data, size));
    return 0;
}
