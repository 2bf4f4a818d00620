// Any bytes as the one info file of a scanned folder: the collection keeps its records
// packed in the file's own bytes, so every way of reading an element back (at, text, rating,
// a snapshot, the cache) must give what decoding the file directly gives.
#include "FuzzCheck.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kinora;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // In memory where possible: every input writes, syncs and scans real files.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/kinora-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/kinora-fuzz-XXXXXX"));
    // The folder is the library, as it is for Kinora, which writes nowhere without one.
    static const bool home = qputenv("KINORA_HOME", dir.path().toUtf8());
    static const QString info = dir.filePath(QStringLiteral("Film.knr"));
    static const QString cache = dir.filePath(QStringLiteral("Collection.db"));
    const QByteArrayView bytes(data, qsizetype(size));
    {
        QFile file(info);
        KINORA_FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        KINORA_FUZZ_CHECK(file.write(bytes.data(), bytes.size()) == bytes.size());
    }
    FilmRecord expected =
        DecodeRecord(bytes.first(qMin(bytes.size(), kSlotSize))).value_or(FilmRecord{});
    expected.FilePath = info;

    FilmCollection films;
    films.setSyncPaths(dir.path());
    films.LoadCollection();
    KINORA_FUZZ_CHECK(films.count() == 2);
    KINORA_FUZZ_CHECK(films.at(0) == expected);
    KINORA_FUZZ_CHECK(films.at(1) == FilmRecord{});
    for (FilmField field : kFilmFields)
        KINORA_FUZZ_CHECK(films.text(0, field) == expected.fieldText(field));
    KINORA_FUZZ_CHECK(films.rating(0) == expected.Rating);
    const FilmCollection::Snapshot snapshot = films.snapshot();
    for (FilmField field : kFilmFields)
        KINORA_FUZZ_CHECK(snapshot.text(0, field) == expected.fieldText(field));
    KINORA_FUZZ_CHECK(snapshot.rating(0) == expected.Rating);
    KINORA_FUZZ_CHECK(films.SearchCollection(QString()) == u"0|1|");

    // The cache holds the same record, FilePath included, and the end marker.
    KINORA_FUZZ_CHECK(home && films.WriteCache(cache));
    const QByteArray written = readAll(cache);
    KINORA_FUZZ_CHECK(written.size() == 2 * kSlotSize);
    KINORA_FUZZ_CHECK(DecodeRecord(written.first(kSlotSize)) == expected);
    KINORA_FUZZ_CHECK(written.last(kSlotSize) == QByteArray(kSlotSize, '\0'));
    return 0;
}
