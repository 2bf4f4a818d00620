#include "ui/FilmListModel.h"

#include "store/FilmCollection.h"
#include "store/NumberParse.h"

#include <QLocale>
#include <QSet>
#include <algorithm>
#include <functional>

namespace kinora {

FilmListModel::FilmListModel(QObject* parent)
    : QAbstractTableModel(parent), m_rowIcon(QStringLiteral(":/film16.png"))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void FilmListModel::rebuild(const FilmCollection& collection, const QList<int>& indexes)
{
    beginResetModel();
    if (refreshEntries(collection)) {
        markDuplicates();
        m_rankColumn = -1;
    }
    m_rows.clear();
    m_rows.reserve(size_t(indexes.size()));
    for (int i : indexes) {
        const Entry& e = m_entries[size_t(i)];
        if (!e.title.isEmpty() && !e.duplicate)
            m_rows.push_back(i);
    }
    sortRows();
    endResetModel();
}

bool FilmListModel::refreshEntries(const FilmCollection& collection)
{
    if (collection.generation() == m_generation)
        return false;
    const int count = collection.count();
    m_entries.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        const FilmRecord film = collection.summary(i);
        m_entries[size_t(i)] = {film.Title,   film.Year,     film.Genre,
                                film.Country, film.FilePath, film.Rating};
    }
    m_generation = collection.generation();
    return true;
}

void FilmListModel::markDuplicates()
{
    QSet<QString> seen;
    seen.reserve(qsizetype(m_entries.size()));
    for (Entry& e : m_entries) {
        const qsizetype before = seen.size();
        seen.insert(e.key);
        e.duplicate = seen.size() == before;
    }
}

int FilmListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FilmListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const QString& FilmListModel::text(const Entry& row, int column)
{
    switch (column) {
    case YearColumn:
        return row.year;
    case GenreColumn:
        return row.genre;
    case CountryColumn:
        return row.country;
    default:
        return row.title;
    }
}

QVariant FilmListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Entry& row = entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == RatingColumn) // 745 lists as 7.45, 800 as 8
            return QLocale().toString(row.rating / 100.0, 'f', QLocale::FloatingPointShortest);
        return text(row, index.column());
    case Qt::DecorationRole:
        return index.column() == NameColumn ? QVariant(m_rowIcon) : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == YearColumn || index.column() == RatingColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case KeyRole:
        return row.key;
    case TagRole:
        return m_rows[size_t(index.row())];
    default:
        return {};
    }
}

QVariant FilmListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole) {
        static const char* const kCaptions[] = {"Name", "Jahr", "Genere", "Land", "Bewertung"};
        return QString::fromLatin1(kCaptions[section]);
    }
    if (role == Qt::InitialSortOrderRole)
        return int(Qt::AscendingOrder);
    return {};
}

void FilmListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> tags;
    for (const QModelIndex& index : before)
        tags.push_back(m_rows[size_t(index.row())]);
    sortRows();
    if (!before.isEmpty()) {
        // Persistent indexes (the selection, the current row) follow their film.
        QHash<int, int> rowOfTag;
        for (size_t r = 0; r < m_rows.size(); ++r)
            rowOfTag.insert(m_rows[r], int(r));
        QModelIndexList after;
        for (qsizetype k = 0; k < before.size(); ++k)
            after.append(index(rowOfTag.value(tags[size_t(k)]), before[k].column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FilmListModel::rankElements()
{
    if (m_collator.locale() != QLocale()) {
        m_collator.setLocale(QLocale());
        m_collator.setCaseSensitivity(Qt::CaseInsensitive);
        m_rankColumn = -1;
    }
    if (m_rankColumn == m_sortColumn && m_rank.size() == m_entries.size())
        return;
    const size_t n = m_entries.size();
    std::vector<int> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = int(i);
    // Compares as less, equal or greater for elements a and b.
    std::function<int(int, int)> compare;
    std::vector<double> numbers;
    std::vector<QCollatorSortKey> keys;
    if (m_sortColumn == YearColumn || m_sortColumn == RatingColumn) {
        numbers.reserve(n);
        for (const Entry& e : m_entries)
            numbers.push_back(m_sortColumn == RatingColumn ? double(e.rating)
                                                           : ParseLeadingNumber(e.year));
        compare = [&](int a, int b) {
            return numbers[size_t(a)] < numbers[size_t(b)]
                       ? -1
                       : numbers[size_t(a)] > numbers[size_t(b)];
        };
    } else {
        keys.reserve(n);
        for (const Entry& e : m_entries)
            keys.push_back(m_collator.sortKey(text(e, m_sortColumn)));
        compare = [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]); };
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });
    m_rank.assign(n, 0);
    for (size_t k = 1; k < n; ++k)
        m_rank[size_t(order[k])] =
            m_rank[size_t(order[k - 1])] + (compare(order[k - 1], order[k]) != 0);
    m_rankColumn = m_sortColumn;
}

// Ties go by collection order in both directions, so equal rows never swap places.
void FilmListModel::sortRows()
{
    rankElements();
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::sort(m_rows.begin(), m_rows.end(), [&](int a, int b) {
        const int x = m_rank[size_t(a)], y = m_rank[size_t(b)];
        if (x != y)
            return ascending ? x < y : x > y;
        return a < b;
    });
}

} // namespace kinora
