// The collection search against its plain definition: the first line of the input is the
// search text, every further line a film whose fields are separated by tabs. The indexed
// search (upper-cased Windows-1252 bytes per record) must give exactly the indexes that
// matching every word against every searched field, upper-cased, gives.
#include "FuzzCheck.h"

#include "store/FilmCollection.h"
#include "store/SearchIndex.h"

using namespace kinora;

namespace {

bool matches(const FilmRecord& record, const QStringList& words)
{
    for (const QString& word : words) {
        bool found = false;
        for (FilmField field : kSearchedFields) {
            const QString text = record.fieldText(field);
            if (word.isEmpty() ? !text.isEmpty() : text.toUpper().contains(word.toUpper()))
                found = true;
        }
        if (!found)
            return false;
    }
    return true;
}

void checkInput(const QString& input)
{
    const QStringList lines = input.split(u'\n');
    const QString& text = lines.first();
    QList<FilmRecord> films;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        FilmRecord film;
        const QStringList fields = lines[i].split(u'\t');
        for (qsizetype f = 0; f < fields.size() && f < qsizetype(kFilmFields.size()); ++f)
            film.setFieldText(kFilmFields[f], fields[f]);
        films.append(film);
    }
    FilmCollection collection;
    collection.setFilms(films);

    const QStringList words = text.isEmpty() ? QStringList() : text.split(u' ');
    QString expected;
    for (int i = 0; i < collection.count(); ++i) {
        if (matches(collection.at(i), words))
            expected += QString::number(i) + u'|';
    }
    KINORA_FUZZ_CHECK(collection.SearchCollection(text) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    checkInput(fuzz::utf8Text(data, size));
    checkInput(fuzz::utf16Text(data, size));
    return 0;
}
