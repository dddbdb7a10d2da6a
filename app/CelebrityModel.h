#pragma once

#include "database/ItemStore.h"

#include <QAbstractListModel>

#include <limits>

// The celebrity list as a model: each row's display text is the whole item
// text (name, 500 blanks, tail). Items are added in bulk and announced at
// flush(), when they are sorted in and persistent indexes follow their items.
class CelebrityModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // The name alone, all of an item a list can ever show: the 500 blanks
    // push the rest far past any list's right edge.
    static constexpr int NameRole = Qt::UserRole + 1;

    explicit CelebrityModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Items in the list, announced or not.
    qsizetype itemCount() const { return store.size(); }
    void reserve(qint64 lines, qint64 bytes) { store.reserve(lines, bytes); }
    void prepare() const { store.prepare(); }
    bool append(QByteArrayView nameUtf8, QByteArrayView tailUtf8)
    {
        // Qt's models count rows in an int.
        return store.size() < std::numeric_limits<int>::max() && store.append(nameUtf8, tailUtf8);
    }
    // Announces the items added since the last flush at their sorted places.
    void flush();

private:
    database::ItemStore store;
    int rows = 0;
};
