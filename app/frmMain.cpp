#include "frmMain.h"
#include "ui_frmMain.h"

#include "CelebrityModel.h"
#include "database/DbFile.h"
#include "database/LineParser.h"
#include "database/Selection.h"
#include "engine/compat.h"
#include "engine/numerology.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>

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

// While loading, the window repaints at most once a frame; input is still
// handled at every progress point.
constexpr qint64 kFrameMs = 16;

} // namespace

frmMain::frmMain(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    setFixedSize(size());
    celebrities = new CelebrityModel(this);
    ui->List1->setModel(celebrities);
    fillDateLists();
    connectEvents();
    ui->List1->setFocus();
    CalcDOB();
}

frmMain::~frmMain() = default;

void frmMain::fillDateLists()
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QString::number(d);
    QStringList years;
    for (int y = 1900; y <= 2010; ++y)
        years << QString::number(y);
    const QStringList months = {
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
        QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
        QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
        QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};

    const std::pair<QComboBox *, const QStringList *> lists[] = {
        {ui->cDay, &days}, {ui->cMonth, &months}, {ui->cYear, &years}};
    for (const auto &[combo, items] : lists) {
        // Adding to an empty combo box selects and shows its first item; the
        // field keeps its own start-up text and no item is picked.
        const QString text = combo->currentText();
        combo->addItems(*items);
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
    const auto day = engine::numberValue(ui->cDay->currentText());
    const auto month = engine::numberValue(engine::convertMonth(ui->cMonth->currentText()));
    const auto year = engine::numberValue(ui->cYear->currentText());
    // An overflow on a typed day or year leaves the numbers as they were; the
    // window simply keeps showing the last date that could be computed.
    if (!day || !month || !year)
        return;

    ui->lpNumber->setText(*day + *month + *year);
    if (!reduceCaption(ui->lpNumber, 6))
        return;
    ui->aNumber->setText(*day + *month);
    if (!reduceCaption(ui->aNumber, 4))
        return;
    SetCompat();
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
    setIfValue(ui->Label9, texts.name);
    setIfValue(ui->Label13, texts.birthDate);
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
    database::DbFile file(QDir(QCoreApplication::applicationDirPath())
                              .filePath(QStringLiteral("db.txt")));
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

void frmMain::closeEvent(QCloseEvent *event)
{
    // A load in progress stops at its next step; the program then ends.
    closing = true;
    QWidget::closeEvent(event);
}
