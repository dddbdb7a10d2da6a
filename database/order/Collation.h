#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <string>

// Alphabetical order as the platform the program was first made for sorts
// its list boxes, in the user's locale or a named one, and the same on every
// platform: letter case ignored; accented letters beside their base letters;
// blanks and punctuation count, before digits and letters; and hyphens and
// apostrophes (the marks a name is written with, "Jean-Luc", "O'Brien")
// decide only between texts equal but for them, so that "Jean-Luc" stands
// beside "Jeanluc" and "co-op" beside "coop".
//
// Windows orders so itself (a "word sort"); elsewhere ICU is told to, with the
// locale's rules and a few of its own: the marks ignored, ASCII punctuation
// and the accents in the Windows order, blanks never ignored, no script
// moved before another, and a last level of its own for where the marks stand
// (Collation.cpp).
//
// A sort key is bytes: two texts compare as their keys compare bytewise, the
// shorter first where one key starts the other. Its first level (letters,
// digits, blanks and punctuation, without case or accents) ends at the first
// byte 01 and holds no zero byte. A key never ends in a zero byte; on Windows
// its last level may hold one (the place of a hyphen after 255 characters).

namespace database {

class Collation
{
public:
    // The collation of the named locale ("th_TH", "sv_SE"); empty for the
    // user's own.
    explicit Collation(const QString &locale = {});
    ~Collation();
    Collation(const Collation &) = delete;
    Collation &operator=(const Collation &) = delete;

    // Appends the text's whole sort key.
    void appendSortKey(QStringView text, std::string &out) const;

    // Appends the first level of the text's sort key, such that a text's key
    // starts with this key of any text it begins with at that level: "em" for
    // "Émile" as for "Emily", "ob" for "O'Brien" as for "Obrien".
    void appendPrimaryPrefixKey(QStringView text, std::string &out) const;

    // The first bytes of a UTF-8 text's sort key, at most `size` of them,
    // without working out more of it than needed. Returns how many were
    // written: fewer than `size` when the key is shorter.
    std::size_t sortKeyStartUtf8(QByteArrayView utf8, unsigned char *out, std::size_t size) const;

    // Compares two UTF-8 texts in the same order; negative, zero or positive.
    int compareUtf8(QByteArrayView a, QByteArrayView b) const;

    // Loads the locale's collation tables now rather than at the first use.
    void prepare() const { open(); }

    // What every collation of the process has been asked since it started:
    // sort keys or their starts worked out, and texts compared. The order
    // asks for few of either per line (docs/load.md); the benchmarks and
    // the order's tests count them.
    struct Work
    {
        std::uint64_t keys = 0;
        std::uint64_t comparisons = 0;
    };
    static Work work();

private:
    // Opened on first use, so that starting the program does not wait for
    // the locale's collation tables.
    void *open() const;
    QString locale;
    mutable void *collator = nullptr;
    mutable bool opened = false;
};

} // namespace database
