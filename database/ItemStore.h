#pragma once

#include "Collation.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// The celebrity list as data: every item's name and tail in one UTF-8 arena,
// a collation key per name, and the alphabetical order kept in blocks, so
// that adding an item and finding the item at a row both cost a few binary
// searches however long the list grows.
//
// New items wait in arrival order until commit() sorts them in; rows past the
// sorted ones show the waiting items, so a model can announce them as
// appended first and as moved to their places after.

namespace database {

class ItemStore
{
public:
    using Id = std::uint32_t;

    ItemStore() = default;
    ItemStore(const ItemStore &) = delete;
    ItemStore &operator=(const ItemStore &) = delete;

    // Readies the alphabetical order ahead of the first item.
    void prepare() const { collation.prepare(); }

    // Room for a file of this size with this many lines, to spare regrowth.
    void reserve(qint64 lines, qint64 bytes);

    // Adds an item to the waiting ones. False when it cannot be stored.
    bool append(QByteArrayView nameUtf8, QByteArrayView tailUtf8);

    qsizetype size() const { return qsizetype(records.size()); }

    // Sorts the waiting items in; an item equal to an earlier one goes after it.
    void commit();

    // An entry of the order. The first sixteen bytes of the name's collation
    // key, big-endian, decide most comparisons without a look elsewhere; the
    // rest of a longer key, with a terminating zero, lies in `keys` at keyAt.
    // Among equal names a short tail of blanks, commas and digits is decided
    // by its packed code.
    struct Entry
    {
        std::uint64_t prefix;
        std::uint64_t prefix2;
        std::uint64_t tailCode;
        Id id;
        std::uint32_t keyAt;
    };

    // The item at a row: sorted rows first, then the waiting ones.
    Id idAt(qsizetype row) const { return entryAt(row).id; }
    const Entry &entryAt(qsizetype row) const;
    // The row of a sorted item; -1 for one not in the order.
    qsizetype rowOf(const Entry &entry) const;

    QString name(Id id) const;
    // The whole item text: name, 500 blanks, tail.
    QString itemText(Id id) const;

private:
    // Items lie in the arena one after the other, name then tail, so a tail
    // ends where the next item begins.
    struct Record
    {
        std::uint64_t text : 48;
        std::uint64_t nameBytes : 15; // at most 499 UTF-16 units in UTF-8
        std::uint64_t plainTail : 1;  // blanks, commas and digits only
    };
    using Block = std::vector<Entry>;

    bool less(const Entry &a, const Entry &b) const;
    int compareTails(Id a, Id b) const;
    void insertSorted(const Entry &e);
    void refreshStarts() const;
    QByteArrayView nameBytes(Id id) const;
    QByteArrayView tailBytes(Id id) const;

    Collation collation;
    std::vector<char> arena;
    std::string keys;
    std::vector<Record> records;
    std::vector<Entry> waiting;
    std::vector<Block> blocks;
    std::vector<Entry> lasts; // the last entry of each block, for the block search
    qsizetype sorted = 0;
    mutable std::vector<qsizetype> starts; // first row of each block
    mutable bool startsDirty = false;
    std::string keyScratch;
};

} // namespace database
