#include "CelebrityModel.h"
#include "WindowDriver.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <numeric>

using namespace app;

// famescope-db, run as a user runs it, on files of its own; and its match
// against the window itself.
class tst_famescopedb : public QObject, public WindowDriver
{
    Q_OBJECT

private slots:
    void initTestCase();

    void check_reportsEachKind_data();
    void check_reportsEachKind();
    void check_exitStatuses_data();
    void check_exitStatuses();
    void check_textAndSummary();
    void check_jsonShape();
    void build_writesTheSample();
    void usage_data();
    void usage();
    void match_agreesWithTheWindow_data();
    void match_agreesWithTheWindow();

private:
    struct Run
    {
        int status;
        QByteArray out;
        QByteArray err;
    };
    Run run(const QStringList &args);
    QString write(const QString &name, const QByteArray &bytes);
    static QList<QJsonObject> jsonLines(const QByteArray &out);

    QTemporaryDir dir;
};

void tst_famescopedb::initTestCase()
{
    QVERIFY(dir.isValid());
}

tst_famescopedb::Run tst_famescopedb::run(const QStringList &args)
{
    QProcess tool;
    // No database of the user's or the system's gets in.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("nohome")));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), dir.filePath(QStringLiteral("nosystem")));
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(FAMESCOPE_DB_TOOL), args);
    if (!tool.waitForFinished(60000))
        qFatal("famescope-db did not finish");
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            tool.readAllStandardOutput(), tool.readAllStandardError()};
}

QString tst_famescopedb::write(const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QList<QJsonObject> tst_famescopedb::jsonLines(const QByteArray &out)
{
    QList<QJsonObject> objects;
    for (const QByteArray &line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            qFatal("not a JSON object: %s", line.constData());
        objects << doc.object();
    }
    return objects;
}

void tst_famescopedb::check_reportsEachKind_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line"); // the reported line; 0 for none
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("detail"); // key=value of the problem, if any
    const QByteArray ok = "Mara Quill, 7 28 1900,9\r\n";
    // clang-format off
    QTest::newRow("marker")            << QByteArray("Prince (musician), 6 7 1958,1")          << 1 << "skipped" << "marker"            << "column=8";
    QTest::newRow("no comma")          << QByteArray("Mara Quill 7 28 1900 9")                 << 1 << "skipped" << "no-comma"          << "";
    QTest::newRow("comment")           << QByteArray("  # a comment, with a comma\r\n\r\n   ") << 0 << ""        << ""                  << "";
    QTest::newRow("date form")         << ok + "Mara, 7 28,9"                                  << 2 << "loaded"  << "date-form"         << "date= 7 28";
    QTest::newRow("no calendar day")   << QByteArray("Mara, 2 30 1900,5")                      << 1 << "loaded"  << "no-calendar-day"   << "date= 2 30 1900";
    QTest::newRow("life path form")    << QByteArray("Mara, 7 28 1900,11")                     << 1 << "loaded"  << "life-path-form"    << "lifePath=11";
    QTest::newRow("life path differs") << QByteArray("Mara, 7 28 1900,7")                      << 1 << "loaded"  << "life-path-differs" << "computed=9";
    QTest::newRow("name cut")          << QByteArray(600, 'N') + ", 7 28 1900,9"               << 1 << "loaded"  << "name-cut"          << "length=600";
    QTest::newRow("empty name")        << QByteArray("  , 7 28 1900,9")                        << 1 << "loaded"  << "empty-name"        << "";
    QTest::newRow("duplicate")         << ok + "mara quill , 7 28 1900,9"                      << 2 << "loaded"  << "duplicate"         << "sameAsLine=1";
    QTest::newRow("code page line")    << QByteArray("Zo\xC3\xAB, 7 28 1900,9\r\nZo\xEB, 7 29 1900,1") << 2 << "loaded" << "code-page-line" << "";
    QTest::newRow("code page first")   << QByteArray("Zo\xEB, 7 29 1900,1\r\nZo\xC3\xAB, 7 28 1900,9") << 1 << "loaded" << "code-page-line" << "";
    QTest::newRow("1252 file is fine") << QByteArray("Zo\xEB, 7 29 1900,1\r\nBj\xF6rk, 7 28 1900,9") << 0 << "" << "" << "";
    QTest::newRow("same name, other date") << ok + "Mara Quill, 7 29 1900,1"                  << 0 << ""        << ""                  << "";
    // clang-format on
}

void tst_famescopedb::check_reportsEachKind()
{
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    QFETCH(QString, outcome);
    QFETCH(QString, kind);
    QFETCH(QString, detail);
    const Run r = run({QStringLiteral("check"), QStringLiteral("--json"),
                       write(QStringLiteral("kind.txt"), file)});
    const QList<QJsonObject> objects = jsonLines(r.out);
    QVERIFY(!objects.isEmpty());
    const QList<QJsonObject> reports = objects.mid(0, objects.size() - 1);
    if (line == 0) {
        QCOMPARE(reports.size(), 0);
        QCOMPARE(r.status, 0);
        return;
    }
    QCOMPARE(r.status, 1);
    QCOMPARE(reports.size(), 1);
    const QJsonObject report = reports.first();
    QCOMPARE(report.value(QStringLiteral("line")).toInt(), line);
    QCOMPARE(report.value(QStringLiteral("outcome")).toString(), outcome);
    const QJsonArray problems = report.value(QStringLiteral("problems")).toArray();
    QCOMPARE(problems.size(), 1);
    const QJsonObject problem = problems.first().toObject();
    QCOMPARE(problem.value(QStringLiteral("kind")).toString(), kind);
    if (!detail.isEmpty()) {
        const QString key = detail.section(u'=', 0, 0);
        QCOMPARE(problem.value(key).toVariant().toString(), detail.section(u'=', 1));
    }
}

void tst_famescopedb::check_exitStatuses_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("the sample")   << "sample"  << 0 << "";
    QTest::newRow("a problem")    << "problem" << 1 << "";
    QTest::newRow("missing file") << "missing" << 2 << "NOT FOUND";
    QTest::newRow("a folder")     << "folder"  << 2 << "NOT A FILE";
    // clang-format on
}

void tst_famescopedb::check_exitStatuses()
{
    QFETCH(QString, what);
    QFETCH(int, status);
    QFETCH(QString, message);
    QString path = QStringLiteral(FAMESCOPE_SAMPLE_DB);
    if (what == QLatin1String("problem"))
        path = write(QStringLiteral("problem.txt"), "Mara, 7 28 1900,7");
    else if (what == QLatin1String("missing"))
        path = dir.filePath(QStringLiteral("missing.txt"));
    else if (what == QLatin1String("folder"))
        path = dir.path();
    const Run r = run({QStringLiteral("check"), path});
    QCOMPARE(r.status, status);
    QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
}

void tst_famescopedb::check_textAndSummary()
{
    const Run r = run({QStringLiteral("check"), write(QStringLiteral("text.txt"),
                                                      "# header, fine\r\nMara, 7 28 1900,7\r\n"
                                                      "Prince (musician), 6 7 1958,1\nEve,\r\n")});
    QCOMPARE(r.status, 1);
    const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0],
             QStringLiteral("line 2: Life Path 7 differs from 9, computed from the date"));
    QCOMPARE(lines[1], QStringLiteral("line 3: skipped: \"(\" at column 8"));
    QVERIFY(lines[2].startsWith(QStringLiteral("line 4: date \"\" is not")));
    QCOMPARE(lines[3], QStringLiteral("4 lines: 2 names the window shows, 2 skipped, 3 with "
                                      "problems; ASCII, mixed line ends"));
}

void tst_famescopedb::check_jsonShape()
{
    // Every kind of line at once, in UTF-16 as Notepad writes it; a date
    // with every character JSON must escape, and more.
    const QString odd = QString::fromUtf8(" 7 \"2\\8\t\x01\x1F\xC3\xA9/");
    const QString text = QStringLiteral("Mara, 7 28 1900,7\r\n(x), 1\r\nEve, 1 1 1900,2\r\nOdd,") +
                         odd + QStringLiteral(",1\r\n");
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const Run r = run({QStringLiteral("check"), QStringLiteral("--json"),
                       write(QStringLiteral("shape.txt"), bytes)});
    const QList<QJsonObject> objects = jsonLines(r.out);
    QCOMPARE(objects.size(), 4);
    const QJsonObject last = objects[objects.size() - 2];
    QCOMPARE(last.value(QStringLiteral("line")).toInt(), 4);
    const QJsonObject escaped = last.value(QStringLiteral("problems")).toArray().first().toObject();
    QCOMPARE(escaped.value(QStringLiteral("kind")).toString(), QStringLiteral("date-form"));
    QCOMPARE(escaped.value(QStringLiteral("date")).toString(), odd);
    for (int i = 0; i < objects.size() - 1; ++i) {
        const QJsonObject o = objects[i];
        QCOMPARE(o.keys(), (QStringList{QStringLiteral("line"), QStringLiteral("outcome"),
                                        QStringLiteral("problems")}));
        QVERIFY(o.value(QStringLiteral("line")).isDouble());
        QVERIFY(o.value(QStringLiteral("problems")).isArray());
        for (const QJsonValue p : o.value(QStringLiteral("problems")).toArray())
            QVERIFY(p.toObject().value(QStringLiteral("kind")).isString());
    }
    const QJsonObject summary = objects.last().value(QStringLiteral("summary")).toObject();
    QCOMPARE(summary.keys(),
             (QStringList{QStringLiteral("encoding"), QStringLiteral("items"),
                          QStringLiteral("lineEnds"), QStringLiteral("lines"),
                          QStringLiteral("problemLines"), QStringLiteral("skipped")}));
    QCOMPARE(summary.value(QStringLiteral("lines")).toInt(), 4);
    QCOMPARE(summary.value(QStringLiteral("items")).toInt(), 3);
    QCOMPARE(summary.value(QStringLiteral("encoding")).toString(), QStringLiteral("UTF-16LE"));
    QCOMPARE(summary.value(QStringLiteral("lineEnds")).toString(), QStringLiteral("CR LF"));
}

void tst_famescopedb::build_writesTheSample()
{
    const QString tsv =
        QFileInfo(QStringLiteral(FAMESCOPE_SAMPLE_DB)).dir().filePath(QStringLiteral("births.tsv"));
    const Run toStdout = run({QStringLiteral("build"), tsv});
    QCOMPARE(toStdout.status, 0);
    QFile sample(QStringLiteral(FAMESCOPE_SAMPLE_DB));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    QCOMPARE(toStdout.out, sample.readAll());
    const QString out = dir.filePath(QStringLiteral("built.txt"));
    QCOMPARE(run({QStringLiteral("build"), tsv, out}).status, 0);
    QFile built(out);
    QVERIFY(built.open(QIODevice::ReadOnly));
    QCOMPARE(built.readAll(), toStdout.out);
}

void tst_famescopedb::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    const QString nines(3641, u'9');
    // clang-format off
    QTest::newRow("help")            << QStringList{"--help"}                              << 0 << "famescope-db check";
    QTest::newRow("version")         << QStringList{"--version"}                           << 0 << "famescope-db 1.00";
    QTest::newRow("no command")      << QStringList{}                                      << 2 << "--help";
    QTest::newRow("unknown command") << QStringList{"frob"}                                << 2 << "--help";
    QTest::newRow("unknown option")  << QStringList{"check", "--frob", "x"}                << 2 << "--help";
    QTest::newRow("check, no file")  << QStringList{"check"}                               << 2 << "--help";
    QTest::newRow("match, no date")  << QStringList{"match"}                               << 2 << "--help";
    QTest::newRow("match, bad date") << QStringList{"match", "--date", "1980-02-30"}       << 2 << "--help";
    QTest::newRow("match, both")     << QStringList{"match", "--date", "1980-01-01", "--day", "1"} << 2 << "--help";
    QTest::newRow("match, overflow") << QStringList{"match", "--day", nines, "--month", "May", "--year", "1980"} << 2 << "overflow";
    // clang-format on
}

void tst_famescopedb::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, says);
    const Run r = run(args);
    QCOMPARE(r.status, status);
    QVERIFY2(QString::fromUtf8(r.out + r.err).contains(says), (r.out + r.err).constData());
    if (status == 2)
        QCOMPARE(r.err.count('\n'), 1); // a one-line hint
}

void tst_famescopedb::match_agreesWithTheWindow_data()
{
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    // clang-format off
    QTest::newRow("start-up date") << "1"  << "January"   << "1980";
    QTest::newRow("29 February")   << "29" << "February"  << "2000";
    QTest::newRow("11 November")   << "11" << "November"  << "2010";
    QTest::newRow("31 December")   << "31" << "December"  << "1900";
    QTest::newRow("7 July")        << "7"  << "July"      << "1977";
    QTest::newRow("15 March")      << "15" << "March"     << "1950";
    QTest::newRow("22 August")     << "22" << "August"    << "1922";
    QTest::newRow("typed word")    << "9"  << "sEpTeMbEr" << "1999";
    QTest::newRow("day past 31")   << "45" << "May"       << "1850";
    QTest::newRow("not a month")   << "3"  << "Juli"      << "abc";
    // clang-format on
}

void tst_famescopedb::match_agreesWithTheWindow()
{
    QFETCH(QString, day);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFile sample(QStringLiteral(FAMESCOPE_SAMPLE_DB));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    // The sample, and lines whose Attitude the selection cannot read (no
    // second comma; a date shorter than four characters): the window keeps
    // the previous celebrity's there, and match ranks each as the first
    // celebrity selected after start-up, with none.
    const QStringList keeping = {QStringLiteral("Aa No Second Comma"),
                                 QStringLiteral("Ab Short Date"), QStringLiteral("Zz Empty Tail")};
    const QByteArray extra = "Aa No Second Comma, 7 28 1900\r\n"
                             "Ab Short Date, 12,5\r\n"
                             "Zz Empty Tail,\r\n";
    const QString db = write(QStringLiteral("match.txt"), sample.readAll() + extra);
    // A window with the file loaded and the date typed into its drop-downs,
    // as a user would.
    const auto start = [&] {
        openWindow();
        QFile f(db);
        QVERIFY(f.open(QIODevice::ReadOnly));
        writeDb(f.readAll());
        clickLoad();
        const std::pair<const char *, QString> fields[] = {
            {"cDay", day}, {"cMonth", month}, {"cYear", year}};
        for (const auto &[name, text] : fields) {
            QLineEdit *edit = window->findChild<QComboBox *>(QLatin1String(name))->lineEdit();
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, text);
        }
    };

    // Every celebrity selected in turn, by keyboard, its name and percentage read.
    start();
    QStringList names;
    QStringList percents;
    list()->setFocus();
    clickRow(0);
    for (int row = 0; row < rows(); ++row) {
        if (row > 0)
            QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(list()->currentIndex().row(), row);
        names << list()->currentIndex().data(CelebrityModel::NameRole).toString();
        percents << label("Label16")->text();
    }
    const QString lifePath = label("lpNumber")->text();
    const QString attitude = label("aNumber")->text();
    closeWindow();
    // Each line that keeps an Attitude, as a freshly started window's first selection.
    for (const QString &name : keeping) {
        start();
        const int row = int(names.indexOf(name));
        QVERIFY(row >= 0);
        // Scrolled to, as a user would, and clicked.
        list()->scrollTo(list()->model()->index(row, 0));
        clickRow(row);
        QVERIFY(label("Label9")->text().startsWith(name.toUpper() + u' '));
        QCOMPARE(label("Label15")->text(), QStringLiteral("None Selected"));
        percents[row] = label("Label16")->text();
        closeWindow();
    }

    const Run r =
        run({QStringLiteral("match"), QStringLiteral("--day"), day, QStringLiteral("--month"),
             month, QStringLiteral("--year"), year, QStringLiteral("--top"),
             QString::number(names.size()), QStringLiteral("--json"), QStringLiteral("--db"), db});
    QCOMPARE(r.status, 0);
    const QList<QJsonObject> objects = jsonLines(r.out);
    QCOMPARE(objects.size(), names.size() + 1);
    const QJsonObject user = objects.first().value(QStringLiteral("user")).toObject();
    QCOMPARE(user.value(QStringLiteral("lifePath")).toString(), lifePath);
    QCOMPARE(user.value(QStringLiteral("attitude")).toString(), attitude);
    // The window's rows ranked by percentage, ties in the list's order: the
    // same celebrities at the same ranks.
    QList<int> ranked(names.size());
    std::iota(ranked.begin(), ranked.end(), 0);
    const auto value = [&](int row) { return percents[row].chopped(1).toInt(); };
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](int a, int b) { return value(a) > value(b); });
    for (int i = 0; i < ranked.size(); ++i) {
        const QJsonObject entry = objects[i + 1];
        QCOMPARE(entry.value(QStringLiteral("rank")).toInt(), i + 1);
        QCOMPARE(entry.value(QStringLiteral("name")).toString(), names[ranked[i]]);
        QCOMPARE(entry.value(QStringLiteral("percent")).toString(), percents[ranked[i]]);
    }
}

QTEST_MAIN(tst_famescopedb)
#include "tst_famescopedb.moc"
