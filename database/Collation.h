#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>

// Alphabetical order as the platform's own sorted list box has it: letter case
// ignored, accented letters beside their base letters, in the user's locale
// or a named one.

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

    // Appends the binary sort key of the text: two texts compare as their
    // keys compare bytewise. The key holds no zero byte.
    void appendSortKey(QStringView text, std::string &out) const;

    // Appends the first level of the text's sort key (letters without case or
    // accents), such that a text's key starts with this key of any text it
    // begins with at that level: "em" for "Émile" as for "Emily".
    void appendPrimaryPrefixKey(QStringView text, std::string &out) const;

    // The first bytes of a UTF-8 text's sort key, at most `size` of them:
    // the same bytes as the start of appendSortKey's key, without working out
    // more of it than needed. Returns how many were written; fewer than
    // `size` when the key is shorter.
    std::size_t sortKeyStartUtf8(QByteArrayView utf8, unsigned char *out, std::size_t size) const;

    // Compares two UTF-8 texts in the same order; negative, zero or positive.
    int compareUtf8(QByteArrayView a, QByteArrayView b) const;

    // Loads the locale's collation tables now rather than at the first use.
    void prepare() const { open(); }

private:
    // Opened on first use, so that starting the program does not wait for
    // the locale's collation tables.
    void *open() const;
    QString locale;
    mutable void *collator = nullptr;
    mutable bool opened = false;
};

} // namespace database
