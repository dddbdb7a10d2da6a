#include "DateCombo.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringListModel>

namespace app {

DateCombo::DateCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    // On Enter or on leaving the field, QComboBox looks the typed text up
    // among the items and emits activated() for a match, which is neither an
    // edit nor a pick: cut that connection so only real picks remain.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);

    connect(lineEdit(), &QLineEdit::textEdited, this, &DateCombo::edited);
    connect(this, &QComboBox::activated, this, &DateCombo::picked);
}

void DateCombo::setItems(const QStringList &items)
{
    // Adding to an empty combo box selects and shows its first item; the
    // field keeps its own text and no item is picked.
    const QString text = currentText();
    // One list model: a standard item model would make an item, and announce
    // it, for each entry.
    setModel(new QStringListModel(items, this));
    setCurrentIndex(-1);
    setEditText(text);
}

void DateCombo::syncIndexToText()
{
    const int index = findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index == currentIndex())
        return;
    // Nothing is picked here; the field keeps its text either way.
    const QString text = currentText();
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
    if (currentText() != text)
        setEditText(text);
}

void DateCombo::showPopup()
{
    syncIndexToText();
    QComboBox::showPopup();
}

void DateCombo::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        syncIndexToText();
        break;
    default:
        break;
    }
    QComboBox::keyPressEvent(event);
}

void DateCombo::wheelEvent(QWheelEvent *event)
{
    syncIndexToText();
    QComboBox::wheelEvent(event);
}

} // namespace app
