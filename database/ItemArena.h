#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Every item of the celebrity list, its name and its tail in UTF-8, one item
// after the other in one block of memory and numbered in arrival order.
// Items are only ever added: an Id, and the texts it names, stay valid for the
// arena's life. An item costs its text and eight bytes more.

namespace database {

class ItemArena
{
public:
    using Id = std::uint32_t;

    ItemArena() = default;
    ItemArena(const ItemArena &) = delete;
    ItemArena &operator=(const ItemArena &) = delete;

    // Room for this many more items of this many bytes, to spare regrowth.
    void reserve(qint64 items, qint64 bytes);

    // The new item's Id; nothing when it cannot be stored (the arena holds
    // 2^32 - 1 items at most, and a name of less than 64 KB).
    std::optional<Id> append(QByteArrayView nameUtf8, QByteArrayView tailUtf8);

    qsizetype size() const { return qsizetype(records.size()); }

    QByteArrayView nameBytes(Id id) const;
    QByteArrayView tailBytes(Id id) const;

    QString name(Id id) const;
    // The list item's whole text.
    QString itemText(Id id) const;

private:
    // A tail ends where the next item begins.
    struct Record
    {
        std::uint64_t text : 48;
        std::uint64_t nameBytes : 16;
    };

    std::vector<char> arena;
    std::vector<Record> records;
};

} // namespace database
