#include "DateComboAccessible.h"

#include "DateCombo.h"

#include <QAbstractItemView>
#include <QLineEdit>

namespace app {

DateComboAccessible::DateComboAccessible(DateCombo *combo)
    : QAccessibleWidget(combo, QAccessible::ComboBox)
{}

QAccessibleInterface *DateComboAccessible::create(const QString &, QObject *object)
{
    if (auto *combo = qobject_cast<DateCombo *>(object))
        return new DateComboAccessible(combo);
    return nullptr;
}

DateCombo *DateComboAccessible::combo() const
{
    return static_cast<DateCombo *>(widget());
}

QString DateComboAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return combo()->currentText();
    // The name and the description, as the window gives them.
    return QAccessibleWidget::text(t);
}

QAccessible::State DateComboAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.expandable = true;
    s.expanded = combo()->view()->isVisible();
    s.collapsed = !s.expanded;
    return s;
}

QAccessibleInterface *DateComboAccessible::child(int index) const
{
    // As Qt's own combo boxes: the list that opens, then the typed field.
    if (index == 0)
        return QAccessible::queryAccessibleInterface(combo()->view());
    if (index == 1)
        return QAccessible::queryAccessibleInterface(combo()->lineEdit());
    return nullptr;
}

int DateComboAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (child->object() == combo()->view())
        return 0;
    if (child->object() == combo()->lineEdit())
        return 1;
    return -1;
}

QAccessibleInterface *DateComboAccessible::childAt(int x, int y) const
{
    const QLineEdit *field = combo()->lineEdit();
    if (QRect(field->mapToGlobal(QPoint(0, 0)), field->size()).contains(x, y))
        return child(1);
    return nullptr;
}

QStringList DateComboAccessible::actionNames() const
{
    return {showMenuAction(), pressAction()};
}

void DateComboAccessible::doAction(const QString &actionName)
{
    if (actionName != showMenuAction() && actionName != pressAction())
        return;
    if (combo()->view()->isVisible())
        combo()->hidePopup();
    else
        combo()->showPopup();
}

} // namespace app
