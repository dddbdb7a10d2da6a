#include "DateCombo.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

DateCombo::DateCombo(QWidget *parent) : QComboBox(parent) {}

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
