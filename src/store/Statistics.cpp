#include "store/Statistics.h"

#include "store/FilmCollection.h"
#include "store/SearchIndex.h"

#include <QHash>
#include <QLocale>

#include <algorithm>

namespace kinora {

namespace {

// The search word of a text value: a blank cannot stand in a word, "_" does for it.
QString searchWord(const QString& key, const QString& value)
{
    return key + u':' +
           (value.isEmpty() ? QStringLiteral("-") : QString(value).replace(u' ', u'_'));
}

// Counts values that differ only in case as one, most films first, then by label.
class Tally
{
public:
    // Most films repeat a spelling seen before, and most own data is empty: those are
    // counted without folding the case, which would cost an allocation per film.
    void add(const QString& value)
    {
        if (value.isEmpty()) {
            ++m_empty;
            return;
        }
        auto it = m_spelling.constFind(value);
        if (it == m_spelling.constEnd()) {
            const QString key = value.toCaseFolded();
            auto bar = m_index.constFind(key);
            if (bar == m_index.constEnd()) {
                bar = m_index.insert(key, int(m_bars.size()));
                m_bars.append({value, 0, {}});
            }
            it = m_spelling.insert(value, *bar);
        }
        ++m_bars[*it].count;
    }
    // Bars of the values, the empty value last as "(none)" under noneLabel.
    QList<StatisticsBar> bars(const QString& key, const QString& noneLabel) const
    {
        QList<StatisticsBar> bars = m_bars;
        if (m_empty > 0)
            bars.append({QString(), m_empty, {}});
        for (StatisticsBar& bar : bars) {
            bar.search = searchWord(key, bar.label);
            if (bar.label.isEmpty())
                bar.label = noneLabel;
        }
        std::stable_sort(bars.begin(), bars.end(),
                         [&](const StatisticsBar& a, const StatisticsBar& b) {
                             const bool aNone = a.search.endsWith(u":-");
                             const bool bNone = b.search.endsWith(u":-");
                             if (aNone != bNone)
                                 return bNone;
                             if (a.count != b.count)
                                 return a.count > b.count;
                             return a.label.localeAwareCompare(b.label) < 0;
                         });
        return bars;
    }

private:
    QHash<QString, int> m_index;    // the case-folded value -> its bar
    QHash<QString, int> m_spelling; // each spelling met -> its bar
    QList<StatisticsBar> m_bars;
    int m_empty = 0;
};

QString markText(double mark)
{
    return QLocale(QLocale::German, QLocale::Germany)
        .toString(mark, 'f', QLocale::FloatingPointShortest);
}

// Bars per whole mark from 0 to 10 (10 and more in the last), then "(none)"; empty
// marks are left out. halves: the film's mark times 2, 0 for none.
QList<StatisticsBar> markBars(const QList<int>& perWhole, int none, const QString& key,
                              const QString& noneLabel)
{
    QList<StatisticsBar> bars;
    for (int n = 0; n < perWhole.size(); ++n) {
        if (perWhole[n] == 0)
            continue;
        const bool last = n == perWhole.size() - 1;
        bars.append({last ? QStringLiteral("ab %1").arg(n)
                          : QStringLiteral("%1 bis unter %2").arg(markText(n), markText(n + 1)),
                     perWhole[n],
                     last ? QStringLiteral("%1:%2").arg(key).arg(n)
                          : QStringLiteral("%1:%2-%3").arg(key).arg(n).arg(n + 1)});
    }
    if (none > 0)
        bars.append({noneLabel, none, key + QStringLiteral(":-")});
    return bars;
}

} // namespace

CollectionStatistics ComputeStatistics(const FilmCollection& collection)
{
    CollectionStatistics stats;
    stats.films = collection.filmCount();
    Tally genres, countries, places, lentTo, media;
    QMap<int, int> decades; // -1 for none
    QList<int> marks(11), notes(11);
    int noMark = 0, noNote = 0, seen = 0;
    for (int i = 0; i < collection.filmCount(); ++i) {
        const QStringList fields =
            collection.texts(i, {FilmField::Genre, FilmField::Country, FilmField::DiskDesc,
                                 FilmField::Year, FilmField::Rating});
        const QStringList filmGenres = GenresOf(fields[0]);
        for (const QString& genre : filmGenres)
            genres.add(genre);
        if (filmGenres.isEmpty())
            genres.add({});
        countries.add(fields[1].trimmed());
        places.add(fields[2].trimmed());
        ++decades[DecadeOf(fields[3])];
        const int rating = fields[4].toInt();
        if (rating == 0)
            ++noMark;
        else
            ++marks[std::clamp(rating / 100, 0, 10)];
        const OwnData own = collection.ownData(i);
        seen += own.seen.isValid() ? 1 : 0;
        lentTo.add(own.lentTo.trimmed());
        media.add(own.medium.trimmed());
        if (own.noteHalves == 0)
            ++noNote;
        else
            ++notes[std::clamp(own.noteHalves / 2, 0, 10)];
    }

    stats.charts.append({QStringLiteral("Genre"),
                         genres.bars(QStringLiteral("genre"), QStringLiteral("ohne Genre"))});
    StatisticsChart decadeChart{QStringLiteral("Jahrzehnt"), {}};
    for (auto it = decades.cbegin(); it != decades.cend(); ++it) {
        if (it.key() >= 0)
            decadeChart.bars.append(
                {QStringLiteral("%1er").arg(it.key()), it.value(),
                 QStringLiteral("jahr:%1").arg(it.key() / 10, 3, 10, QChar(u'0'))});
    }
    if (decades.contains(-1))
        decadeChart.bars.append(
            {QStringLiteral("ohne Jahr"), decades[-1], QStringLiteral("jahr:-")});
    stats.charts.append(decadeChart);
    stats.charts.append({QStringLiteral("Land"),
                         countries.bars(QStringLiteral("land"), QStringLiteral("ohne Land"))});
    stats.charts.append({QStringLiteral("Speicherort"),
                         places.bars(QStringLiteral("ort"), QStringLiteral("ohne Speicherort"))});
    stats.charts.append(
        {QStringLiteral("Bewertung der Filmseite"),
         markBars(marks, noMark, QStringLiteral("bewertung"), QStringLiteral("ohne Bewertung"))});
    StatisticsChart seenChart{QStringLiteral("Gesehen"), {}};
    if (seen > 0)
        seenChart.bars.append({QStringLiteral("gesehen"), seen, QStringLiteral("gesehen:ja")});
    if (stats.films - seen > 0)
        seenChart.bars.append(
            {QStringLiteral("nicht gesehen"), stats.films - seen, QStringLiteral("gesehen:nein")});
    stats.charts.append(seenChart);
    stats.charts.append(
        {QStringLiteral("Verliehen an"),
         lentTo.bars(QStringLiteral("verliehen"), QStringLiteral("nicht verliehen"))});
    stats.charts.append({QStringLiteral("Medium"),
                         media.bars(QStringLiteral("medium"), QStringLiteral("ohne Medium"))});
    stats.charts.append(
        {QStringLiteral("Eigene Note"),
         markBars(notes, noNote, QStringLiteral("note"), QStringLiteral("ohne Note"))});
    return stats;
}

} // namespace kinora
