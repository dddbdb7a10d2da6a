#pragma once

#include "database/order/ItemArena.h"
#include "database/order/SortedOrder.h"

#include <QAbstractListModel>

#include <limits>

namespace app {

// The celebrity list as a model: each row's display text is the whole list
// item, built when asked for. Items are added in bulk and announced at
// flush(), when they are sorted in and persistent indexes follow their items
// (docs/load.md tells when that is).
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
    qsizetype itemCount() const { return items.size(); }
    // Room for a file of this size with this many lines, to spare regrowth.
    void reserve(qint64 lines, qint64 bytes);
    // Adds an item, announced at the next flush. False when it cannot be stored.
    // The item's key start comes worked out already (EntryOrder::keyStart),
    // and its rest's first bytes too when restsAhead() asked for them, and
    // for the first items its sampled key (SortedOrder::add).
    bool append(QByteArrayView nameUtf8, QByteArrayView tailUtf8,
                database::SortedOrder::KeyStart key, const database::KeyRests::Ahead &rest,
                const std::string *sample = nullptr);
    // Whether new items' rests are worth working out ahead (SortedOrder::restsAhead).
    bool restsAhead() const { return order.restsAhead(); }
    // What new items' key starts are worked out with (SortedOrder::commonStarts).
    const database::CommonStarts &commonStarts() const { return order.commonStarts(); }
    // Announces the items added since the last flush at their sorted places:
    // all of them, or the first so that `upTo` items are announced.
    void flush(qsizetype upTo = std::numeric_limits<qsizetype>::max());
    // Items added and not announced yet.
    qsizetype waitingCount() const { return order.waitingCount(); }
    // Sorts ahead a chunk of the items that a flush up to `upTo` will
    // announce, so that the flush itself has few left to sort.
    void presort(qsizetype upTo) { order.presort(upTo); }
    // Gives back the room the items waited in, once all are announced.
    void releaseWaitingRoom() { order.releaseWaitingRoom(); }
    // Does at most `moves` moves of the order's merging, which changes no
    // row; true while more is due. With `toOne`, until a row is an index.
    bool compact(std::size_t moves, bool toOne = false) { return order.compact(moves, toOne); }

    // The announced rows whose names begin with the text, case and accents
    // ignored, as [first, last).
    std::pair<int, int> rowsStartingWith(QStringView text) const;

private:
    database::ItemArena items;
    database::SortedOrder order{items};
    int rows = 0;
};

} // namespace app
