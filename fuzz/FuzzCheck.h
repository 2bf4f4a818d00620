#pragma once

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kinora::fuzz {

// A broken property: the message goes to the log, abort() makes libFuzzer save the input.
#define KINORA_FUZZ_CHECK(condition)                                                               \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__,          \
                         __LINE__);                                                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Text targets read every input twice: as UTF-8, so that hand-made seeds stay readable, and
// as raw UTF-16 code units, so that the fuzzer also reaches lone surrogates and every
// character outside Latin-1.
inline QString utf8Text(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline QString utf16Text(const uint8_t* data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    if (!text.isEmpty()) // the input need not be aligned for char16_t
        std::memcpy(text.data(), data, size_t(text.size()) * 2);
    return text;
}

} // namespace kinora::fuzz
