#include "ui/FilmListModel.h"

#include "store/FilmCollection.h"
#include "store/NumberParse.h"

#include <QLocale>
#include <QSet>
#include <algorithm>

namespace kinora {

FilmListModel::FilmListModel(QObject* parent)
    : QAbstractTableModel(parent), m_rowIcon(QStringLiteral(":/film16.png"))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void FilmListModel::rebuild(const FilmCollection& collection, const QList<int>& indexes)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(size_t(indexes.size()));
    if (m_keyCache.size() != size_t(collection.count()))
        m_keyCache.assign(size_t(collection.count()), {});
    QSet<QString> listed;
    listed.reserve(indexes.size());
    for (int i : indexes) {
        const FilmRecord& film = collection.at(i);
        if (film.Title.isEmpty())
            continue;
        const qsizetype before = listed.size();
        listed.insert(film.FilePath);
        if (listed.size() == before)
            continue;
        m_rows.push_back({i, film.Rating, film.Title, film.Year, film.Genre, film.Country,
                          film.FilePath});
    }
    sortRows();
    endResetModel();
}

int FilmListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FilmListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const QString& FilmListModel::text(const Row& row, int column)
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
    const Row& row = m_rows[size_t(index.row())];
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
        return row.tag;
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
    std::vector<int> oldTags;
    for (const QModelIndex& index : before)
        oldTags.push_back(m_rows[size_t(index.row())].tag);
    sortRows();
    if (!before.isEmpty()) {
        // Persistent indexes (the selection, the current row) follow their film.
        QHash<int, int> rowOfTag;
        for (size_t r = 0; r < m_rows.size(); ++r)
            rowOfTag.insert(m_rows[r].tag, int(r));
        QModelIndexList after;
        for (qsizetype k = 0; k < before.size(); ++k)
            after.append(index(rowOfTag.value(oldTags[size_t(k)]), before[k].column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FilmListModel::sortRows()
{
    if (m_sortColumn == YearColumn || m_sortColumn == RatingColumn)
        sortByNumber();
    else
        sortByText();
}

// Ties go by collection order in both directions, so equal rows never swap places.
void FilmListModel::sortByNumber()
{
    std::vector<double> value(m_keyCache.size());
    for (const Row& row : m_rows)
        value[size_t(row.tag)] = m_sortColumn == RatingColumn ? double(row.rating)
                                                               : ParseLeadingNumber(row.year);
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) {
        const double x = value[size_t(a.tag)], y = value[size_t(b.tag)];
        if (x != y)
            return ascending ? x < y : y < x;
        return a.tag < b.tag;
    });
}

void FilmListModel::sortByText()
{
    if (m_cachedColumn != m_sortColumn || m_collator.locale() != QLocale()) {
        m_keyCache.assign(m_keyCache.size(), {});
        m_collator.setLocale(QLocale());
        m_collator.setCaseSensitivity(Qt::CaseInsensitive);
        m_cachedColumn = m_sortColumn;
    }
    for (const Row& row : m_rows) {
        CachedKey& cached = m_keyCache[size_t(row.tag)];
        const QString& t = text(row, m_sortColumn);
        if (!cached.key || cached.text != t) {
            cached.text = t;
            cached.key = m_collator.sortKey(t);
        }
    }
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) {
        const int c = m_keyCache[size_t(a.tag)].key->compare(*m_keyCache[size_t(b.tag)].key);
        if (c != 0)
            return ascending ? c < 0 : c > 0;
        return a.tag < b.tag;
    });
}

} // namespace kinora
