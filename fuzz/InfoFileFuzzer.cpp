// The info-file reader on any bytes: never crashes, reads only the first slot, and a record
// it accepts survives a write and a second read unchanged.
#include "FuzzCheck.h"

#include "store/InfoFile.h"

using namespace kinora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const std::optional<FilmRecord> record = DecodeRecord(bytes);

    // Bytes past the slot belong to the next slot of Collection.db, never to this record.
    if (bytes.size() > kSlotSize)
        KINORA_FUZZ_CHECK(DecodeRecord(bytes.first(kSlotSize)) == record);
    if (!record)
        return 0;

    // A file that ends right after the record reads the same as one padded with filler.
    QByteArray padded = bytes.first(qMin(bytes.size(), kSlotSize)).toByteArray();
    padded.append(kSlotSize - padded.size(), '\0');
    KINORA_FUZZ_CHECK(DecodeRecord(padded) == record);

    const QByteArray encoded = EncodeRecord(*record);
    KINORA_FUZZ_CHECK(encoded.size() <= kSlotSize);
    KINORA_FUZZ_CHECK(DecodeRecord(encoded) == record);
    // The bytes of an accepted record are exactly what the writer produces for it.
    KINORA_FUZZ_CHECK(encoded == padded.first(encoded.size()));
    return 0;
}
