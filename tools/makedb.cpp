// Builds a Famescope database (db.txt) from a table of birth dates.
//   makedb births.tsv db.txt
// The table has a header line, then name<TAB>month<TAB>day<TAB>year<TAB>source.
// Each data line of db.txt reads "Name, M D YYYY,L" with CR LF line ends, where
// L is the Life Path digit the window would compute for that date.
#include "engine/numerology.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: makedb births.tsv db.txt\n");
        return 2;
    }
    QFile in(args[1]);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "makedb: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QByteArray out;
    out += "# Famescope sample database: birth dates of public figures from the BSD calendar "
           "data files (calendar.birthday, calendar.music, calendar.history; BSD licence). "
           "Each line: name, month day year, Life Path.\r\n";
    QTextStream lines(&in);
    lines.setEncoding(QStringConverter::Utf8);
    lines.readLine(); // header
    int written = 0;
    int lineNo = 1;
    while (!lines.atEnd()) {
        const QString line = lines.readLine();
        ++lineNo;
        const QStringList f = line.split(u'\t');
        bool okMonth = false, okDay = false, okYear = false;
        const int month = f.value(1).toInt(&okMonth);
        const int day = f.value(2).toInt(&okDay);
        const int year = f.value(3).toInt(&okYear);
        if (f.size() < 4 || !okMonth || !okDay || !okYear || month < 1 || month > 12 || day < 1 ||
            day > 31 || year < 0 || year > 9999) {
            std::fprintf(stderr, "makedb: line %d skipped: %s\n", lineNo, qPrintable(line));
            continue;
        }
        // The loader ends a name at its first comma and skips lines holding
        // these characters, so such names are written without them.
        QString name = f[0];
        name.remove(u',');
        for (const QChar c : {u'#', u'&', u'(', u')'})
            name.remove(c);
        name = name.simplified();
        if (name.isEmpty())
            continue;
        // The date's year always has four digits.
        const QString yearText = QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
        const auto lp =
            engine::lifePath(QString::number(day), engine::monthNames()[month - 1], yearText);
        if (!lp)
            continue;
        out += QStringLiteral("%1, %2 %3 %4,%5\r\n")
                   .arg(name)
                   .arg(month)
                   .arg(day)
                   .arg(yearText, *lp)
                   .toUtf8();
        ++written;
    }
    QFile dest(args[2]);
    if (!dest.open(QIODevice::WriteOnly | QIODevice::Truncate) || dest.write(out) != out.size()) {
        std::fprintf(stderr, "makedb: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    std::fprintf(stderr, "makedb: %d celebrities written\n", written);
    return 0;
}
