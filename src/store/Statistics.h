#pragma once

#include <QList>
#include <QString>

namespace kinora {

class FilmCollection;

// One bar: how many films share a value, and the search words that list exactly them.
struct StatisticsBar
{
    QString label;
    int count = 0;
    QString search;

    bool operator==(const StatisticsBar&) const = default;
};

// One chart of the statistics, its bars in the order they are shown.
struct StatisticsChart
{
    QString title;
    QList<StatisticsBar> bars;
};

struct CollectionStatistics
{
    int films = 0;
    // Genre, decade, country, storage place, the site's mark, seen, lent to, medium, own mark.
    QList<StatisticsChart> charts;
};

// Counts the films of the collection per value of each chart. A film counts once per genre
// it names, once in every other chart. Values that differ only in case count as one (the
// search does not tell them apart); the label is the first film's spelling.
CollectionStatistics ComputeStatistics(const FilmCollection& collection);

} // namespace kinora
