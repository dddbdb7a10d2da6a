#include "frmMain.h"
#include "ui_frmMain.h"

#include "CelebrityLoader.h"
#include "CelebrityModel.h"
#include "FramePacer.h"
#include "database/reading/Location.h"
#include "database/selection/Selection.h"
#include "engine/compat.h"
#include "engine/numerology.h"
#include "links.h"

#include <QCoreApplication>
#include <QDir>

// Resources compiled into a static library are registered by hand, outside
// any namespace.
static void initResources()
{
    Q_INIT_RESOURCE(famescope);
    Q_INIT_RESOURCE(pictures);
}

namespace app {

namespace {

// Reduces a label's caption in place: each pass reads the caption back and
// writes numberValue of it. False on the overflow failure.
bool reduceCaption(QLabel *label, int passes)
{
    for (int i = 0; i < passes; ++i) {
        const auto value = engine::numberValue(label->text());
        if (!value)
            return false;
        label->setText(*value);
    }
    return true;
}

void setIfValue(QLabel *label, const std::optional<QString> &text)
{
    if (text)
        label->setText(*text);
}

// A label one line high shows the start of its text only, but lays out all of
// it on every paint: a name or date from a line of megabytes would freeze the
// window. Such a text is shown by its first few thousand characters, far more
// than any first line can hold.
constexpr qsizetype kShownMax = 4096;

void setShownIfValue(QLabel *label, const std::optional<QString> &text)
{
    if (text)
        label->setText(text->size() > kShownMax ? text->left(kShownMax) : *text);
}

// Verdana where it is installed; elsewhere a sans of the same metrics.
QFont windowFont(int pixelSize, bool bold = false, bool underline = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    // Pixel sizes match the layout at 96 dpi (8.25 pt is 11 px, 9.75 pt 13 px,
    // 14.25 pt 19 px, 27.75 pt 37 px) and scale with the window.
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

} // namespace

frmMain::frmMain(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmMain>()), launcher(links::systemLauncher()),
      programFolder(QCoreApplication::applicationDirPath())
{
    initResources();
    // The window's font is set before its elements exist, so that they
    // inherit it as they are made instead of being told again.
    setFont(windowFont(13));
    ui->setupUi(this);
    // Set here, not in the form: a form's pictures are image files, decoded
    // as the window is built.
    ui->Image1->setPixmap(storedPicture(QStringLiteral(":/title.pixels")));
    ui->Image2->setPixmap(storedPicture(QStringLiteral(":/panel.pixels")));
    ui->Image3->setPixmap(storedPicture(QStringLiteral(":/background.pixels")));
    setFixedSize(size());
    // A label of fixed size takes new text without asking the window for a
    // new layout, an event each time: the status line takes a new text at
    // every progress point, hundreds of thousands of times in a big load.
    ui->stat->setFixedSize(ui->stat->size());
    applyFonts();
    celebrities = new CelebrityModel(this);
    ui->List1->setModel(celebrities);
    fillDateLists();
    connectEvents();
    ui->List1->setFocus();
    CalcDOB();
}

frmMain::~frmMain() = default;

// A form can give a font in points only, and one family: the layout's sizes
// are in pixels, with a fallback family.
void frmMain::applyFonts()
{
    struct Style
    {
        QWidget *widget;
        int pixelSize;
        bool bold;
        bool underline;
    };
    // clang-format off
    const Style styles[] = {
        {ui->Label1,   13, true,  false},
        {ui->Label6,   13, true,  false},
        {ui->Command2, 19, false, false},
        {ui->Label3,   13, true,  false},
        {ui->Label2,   11, false, false},
        {ui->lpNumber, 13, true,  false},
        {ui->Label7,   11, false, false},
        {ui->aNumber,  13, true,  false},
        {ui->Label9,   13, true,  false},
        {ui->Label12,  11, false, false},
        {ui->Label13,  11, true,  false},
        {ui->Label10,  11, false, false},
        {ui->Label14,  11, true,  false},
        {ui->Label11,  11, false, false},
        {ui->Label15,  11, true,  false},
        {ui->Label8,   13, true,  false},
        {ui->Label16,  37, true,  false},
        {ui->Command1, 11, true,  false},
        {ui->stat,     11, true,  false},
        {ui->Label5,   13, true,  true},
    };
    // clang-format on
    for (const Style &style : styles)
        style.widget->setFont(windowFont(style.pixelSize, style.bold, style.underline));
}

void frmMain::fillDateLists()
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QString::number(d);
    QStringList years;
    for (int y = 1900; y <= 2010; ++y)
        years << QString::number(y);
    ui->cDay->setItems(days);
    ui->cMonth->setItems(engine::monthNames());
    ui->cYear->setItems(years);
}

void frmMain::connectEvents()
{
    for (DateCombo *combo : {ui->cDay, ui->cMonth, ui->cYear}) {
        connect(combo, &DateCombo::edited, this, &frmMain::CalcDOB);
        connect(combo, &DateCombo::picked, this, &frmMain::CalcDOB);
    }
    connect(ui->Command2, &QPushButton::clicked, this, &frmMain::loadButtonClicked);
    connect(ui->Command1, &QPushButton::clicked, this, [this] { OpenSite(links::kDatabasePage); });
    connect(ui->Label5, &LinkLabel::clicked, this, [this] { OpenSite(links::kHomePage); });
    // A click selects after making the item current, the arrow keys before:
    // the selection is what both have in common once they are done.
    connect(ui->List1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (!selected.isEmpty())
                    celebritySelected();
            });
}

void frmMain::CalcDOB()
{
    emit calcDobRan();
    const auto values = engine::dateValues(ui->cDay->currentText(), ui->cMonth->currentText(),
                                           ui->cYear->currentText());
    // An overflow on a typed day or year leaves the numbers as they were; the
    // window simply keeps showing the last date that could be computed.
    if (!values)
        return;

    ui->lpNumber->setText(values->day + values->month + values->year);
    if (!reduceCaption(ui->lpNumber, 6))
        return;
    ui->aNumber->setText(values->day + values->month);
    if (!reduceCaption(ui->aNumber, 4))
        return;
    SetCompat();
}

void frmMain::OpenSite(const QString &url)
{
    launcher->start(links::commandLine(qEnvironmentVariable("windir"), url));
}

void frmMain::setProgramFolder(const QString &folder)
{
    programFolder = folder;
}

void frmMain::setLauncher(std::unique_ptr<links::Launcher> replacement)
{
    launcher = std::move(replacement);
}

void frmMain::SetCompat()
{
    const auto percent =
        engine::compatPercent(ui->lpNumber->text(), ui->Label14->text(), ui->Label15->text());
    if (percent)
        ui->Label16->setText(*percent);
}

void frmMain::celebritySelected()
{
    const QModelIndexList selected = ui->List1->selectionModel()->selectedIndexes();
    const QString item = selected.isEmpty() ? QString() : selected.first().data().toString();
    const database::SelectionTexts texts = database::selectionTexts(item);
    setShownIfValue(ui->Label9, texts.name);
    setShownIfValue(ui->Label13, texts.birthDate);
    setIfValue(ui->Label14, texts.lifePath);
    setIfValue(ui->Label15, texts.attitude);
    SetCompat();
}

void frmMain::loadButtonClicked()
{
    ui->Command2->hide();
    // Repaint without the button, which covers part of the list, first.
    if (FramePacer(this).letEventsRun())
        LoadDB();
}

void frmMain::LoadDB()
{
    CelebrityLoader loader(*celebrities);
    FramePacer pacer(this, [&loader] { loader.flushShown(); });
    const QStringList places = database::dbSearchPaths(programFolder);
    const QString path = database::chooseDb(places);
    const bool finished = loader.load(
        path,
        [&](const QString &status) {
            ui->stat->setText(status);
            return pacer.letEventsRun();
        },
        [&] { return pacer.letEventsRun(); });
    // A closed window stops the load at its next progress point.
    if (!finished)
        return;
    ui->stat->setText(loader.statusText());
    // Which database is shown, or where none was found.
    QStringList shown;
    for (const QString &place : places)
        shown << QDir::toNativeSeparators(place);
    ui->stat->setToolTip(loader.failure() == database::ReadFailure::NotFound
                             ? QStringLiteral("No db.txt found in:\n") + shown.join(u'\n')
                             : QDir::toNativeSeparators(path));
    // When the file could not be read and nothing was loaded, the button
    // comes back, so that a click tries again once the file is in place.
    if (loader.failure() != database::ReadFailure::None && celebrities->itemCount() == 0)
        ui->Command2->show();
    pacer.finish();
}

} // namespace app
