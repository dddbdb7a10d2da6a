#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Every item of the celebrity list, its name and its tail in UTF-8, one item
// after the other in one block of memory and numbered in arrival order.
// Items are only ever added: an Id, and the texts it names, stay valid for the
// arena's life. An item costs its text, the length of its name in a byte or
// two, and four bytes more.

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
    // 4 GiB of text, and a name of less than 64 KiB: far more than a list
    // can show).
    std::optional<Id> append(QByteArrayView nameUtf8, QByteArrayView tailUtf8);

    qsizetype size() const { return qsizetype(starts.size()); }

    QByteArrayView nameBytes(Id id) const;
    QByteArrayView tailBytes(Id id) const;

    QString name(Id id) const;
    // The list item's whole text.
    QString itemText(Id id) const;

private:
    // Where each item starts in the arena: its name's length (seven bits a
    // byte, the last byte's top bit clear), its name, its tail, which ends
    // where the next item starts.
    std::vector<char> arena;
    std::vector<std::uint32_t> starts;
};

} // namespace database
