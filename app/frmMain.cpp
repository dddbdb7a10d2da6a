#include "frmMain.h"
#include "ui_frmMain.h"

#include "CelebrityModel.h"
#include "database/DbFile.h"
#include "database/LineParser.h"
#include "database/Selection.h"
#include "engine/compat.h"
#include "engine/numerology.h"
#include "links.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QStringListModel>
#include <QTimer>

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

// While loading, the window repaints at most once a frame; input is still
// handled at every progress point.
constexpr qint64 kFrameMs = 16;

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

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

// Resources compiled into a static library are registered by hand.
static void initResources()
{
    Q_INIT_RESOURCE(famescope);
}

frmMain::frmMain(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmMain>()), launcher(links::systemLauncher())
{
    initResources();
    // The window's font and colour are set before its elements exist, so
    // that they inherit them as they are made instead of being told again.
    setFont(windowFont(13));
    setColour(this, QPalette::Window, QColor(51, 91, 54));
    ui->setupUi(this);
    setFixedSize(size());
    applyLook();
    celebrities = new CelebrityModel(this);
    ui->List1->setModel(celebrities);
    fillDateLists();
    connectEvents();
    ui->List1->setFocus();
    CalcDOB();
}

frmMain::~frmMain() = default;

void frmMain::applyLook()
{
    setAutoFillBackground(true);

    // Each label draws its text from the top, wrapped at word boundaries and
    // cut at its lower edge, over whatever lies behind it.
    for (QLabel *label : findChildren<QLabel *>()) {
        if (!label->objectName().startsWith(QLatin1String("Image"))) {
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
    }
    struct Style
    {
        QWidget *widget;
        int pixelSize;
        bool bold;
    };
    const Style styles[] = {
        {ui->Label1, 13, true},   {ui->Label6, 13, true},   {ui->Command2, 19, false},
        {ui->Label3, 13, true},   {ui->Label2, 11, false},  {ui->lpNumber, 13, true},
        {ui->Label7, 11, false},  {ui->aNumber, 13, true},  {ui->Label9, 13, true},
        {ui->Label12, 11, false}, {ui->Label13, 11, true},  {ui->Label10, 11, false},
        {ui->Label14, 11, true},  {ui->Label11, 11, false}, {ui->Label15, 11, true},
        {ui->Label8, 13, true},   {ui->Label16, 37, true},  {ui->Command1, 11, true},
        {ui->stat, 11, true}};
    for (const Style &style : styles)
        style.widget->setFont(windowFont(style.pixelSize, style.bold));

    ui->Image3->setPixmap(QPixmap(QStringLiteral(":/background.png")));

    setColour(ui->Label6, QPalette::WindowText, Qt::white);
    setColour(ui->Label16, QPalette::WindowText, Qt::black);
    ui->Label16->setAlignment(Qt::AlignCenter);
    setColour(ui->Shape1, QPalette::Window, QColor(193, 207, 247));
    setColour(ui->List1, QPalette::Base, QColor(216, 227, 243));
    ui->Label5->setFont(windowFont(13, true, true));
    ui->Label5->setAlignment(Qt::AlignRight | Qt::AlignTop);
    ui->Label5->setCursor(Qt::CrossCursor);

    // What a screen reader announces for the controls without a caption.
    ui->cDay->setAccessibleName(QStringLiteral("Day of birth"));
    ui->cMonth->setAccessibleName(QStringLiteral("Month of birth"));
    ui->cYear->setAccessibleName(QStringLiteral("Year of birth"));
    ui->List1->setAccessibleName(QStringLiteral("Celebrity list"));
    ui->Command1->setAccessibleName(ui->Command1->text());
    ui->Command2->setAccessibleName(ui->Command2->text());
    ui->Label5->setAccessibleName(ui->Label5->text());
    ui->Image1->setAccessibleName(QStringLiteral("Famescope title banner"));
    ui->Image2->setAccessibleName(QStringLiteral("Your information panel"));
    ui->Image3->setAccessibleName(QStringLiteral("Background"));
    ui->Shape1->setAccessibleName(QStringLiteral("Compatibility box"));
}

void frmMain::fillDateLists()
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QString::number(d);
    QStringList years;
    for (int y = 1900; y <= 2010; ++y)
        years << QString::number(y);
    const std::pair<QComboBox *, const QStringList *> lists[] = {
        {ui->cDay, &days}, {ui->cMonth, &engine::monthNames()}, {ui->cYear, &years}};
    for (const auto &[combo, items] : lists) {
        // Adding to an empty combo box selects and shows its first item; the
        // field keeps its own start-up text and no item is picked.
        const QString text = combo->currentText();
        // One list model per drop-down: a standard item model would make an
        // item, and announce it, for each of the 154 entries.
        combo->setModel(new QStringListModel(*items, combo));
        combo->setCurrentIndex(-1);
        combo->setEditText(text);
    }
}

void frmMain::connectEvents()
{
    for (QComboBox *combo : {ui->cDay, ui->cMonth, ui->cYear}) {
        // The lists hold exactly the start-up items: no inline completion
        // (it would turn a typed 1 into 1900) and no insertion on Enter.
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // On Enter or on leaving the field, QComboBox looks the typed text up
        // among the items and emits activated() for a match, which is neither
        // an edit nor a pick: cut that connection so only real picks remain.
        disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);

        connect(combo->lineEdit(), &QLineEdit::textEdited, this, &frmMain::CalcDOB);
        connect(combo, &QComboBox::activated, this, &frmMain::CalcDOB);
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
    if (letEventsRun())
        LoadDB();
}

bool frmMain::letEventsRun()
{
    if (framePending && sinceFrame.elapsed() >= kFrameMs) {
        framePending = false;
        QCoreApplication::postEvent(this, new QEvent(QEvent::UpdateRequest));
    }
    QCoreApplication::processEvents();
    return !closing;
}

void frmMain::LoadDB()
{
    loading = true;
    database::DbFile file(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("db.txt")));
    celebrities->reserve(file.lineCountHint(), file.size());
    database::LineParser parser(file.encoding());

    const auto countText = [this] { return QString::number(celebrities->itemCount()); };
    QByteArrayView line;
    while (file.readLine(line)) {
        if (const auto parts = parser.parse(line))
            celebrities->append(parts->name, parts->tail);
        if (database::isProgressCount(celebrities->itemCount())) {
            celebrities->flush();
            ui->stat->setText(countText() + QStringLiteral(" Names Loaded. (LOADING)"));
            if (!letEventsRun()) {
                loading = false;
                return;
            }
        }
    }
    celebrities->flush();
    ui->stat->setText(countText() + QStringLiteral(" Names Loaded. (COMPLETE)"));
    loading = false;
    // The last frame shows the whole list; nothing is held back any more.
    framePending = false;
    QCoreApplication::postEvent(this, new QEvent(QEvent::UpdateRequest));
    letEventsRun();
}

bool frmMain::event(QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest) {
        if (loading && sinceFrame.isValid() && sinceFrame.elapsed() < kFrameMs) {
            framePending = true;
            return true;
        }
        sinceFrame.start();
    }
    return QWidget::event(event);
}

void frmMain::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // Once the window is on the screen, and long before anyone can click the
    // load button, the list's alphabetical order gets its collation tables.
    if (!painted) {
        painted = true;
        QTimer::singleShot(0, this, [this] { celebrities->prepare(); });
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // A load in progress stops at its next step; the program then ends.
    closing = true;
    QWidget::closeEvent(event);
}
