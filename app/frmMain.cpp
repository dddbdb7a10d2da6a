#include "frmMain.h"
#include "ui_frmMain.h"

#include "engine/compat.h"
#include "engine/numerology.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringListModel>

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

} // namespace

frmMain::frmMain(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->List1->setModel(new QStringListModel(this));
    fillDateLists();
    connectDateEntry();
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

void frmMain::connectDateEntry()
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
