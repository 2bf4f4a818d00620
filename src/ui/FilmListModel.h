#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QIcon>
#include <optional>
#include <vector>

namespace kinora {

class FilmCollection;

// The rows of the main window's film list: one per listed film, holding the values the
// last rebuild took from the collection (they stay as they are until the next rebuild).
// Each row carries its key (the info file's path) and its tag (the film's index in the
// collection). Sorting lives here so that it can survive every rebuild.
class FilmListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, YearColumn, GenreColumn, CountryColumn, RatingColumn, ColumnCount };
    enum Role { KeyRole = Qt::UserRole + 1, TagRole };

    explicit FilmListModel(QObject* parent = nullptr);

    // Replaces every row with the films at indexes (ascending), sorted by the current sort
    // column and order. Films without a title are left out, and so is a film whose info file
    // is listed already (the same file found twice through overlapping folders).
    void rebuild(const FilmCollection& collection, const QList<int>& indexes);

    QString key(int row) const { return m_rows[size_t(row)].key; }
    int tag(int row) const { return m_rows[size_t(row)].tag; }

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    struct Row
    {
        int tag;
        qint32 rating;
        QString title, year, genre, country, key;
    };
    // A text column's collation key for one collection index, kept between rebuilds; the
    // text it was made from tells whether it still fits.
    struct CachedKey
    {
        QString text;
        std::optional<QCollatorSortKey> key;
    };

    static const QString& text(const Row& row, int column);
    void sortRows();
    void sortByText();
    void sortByNumber();

    std::vector<Row> m_rows;
    int m_sortColumn = NameColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QCollator m_collator;
    int m_cachedColumn = -1;
    std::vector<CachedKey> m_keyCache; // by collection index
    QIcon m_rowIcon;
};

} // namespace kinora
