#pragma once

#include <QAccessibleWidget>

namespace app {

class DateCombo;

// What assistive technology hears of a date drop-down: a combo box named for
// what it asks ("Day of birth"), whose value is the text in its field, with
// the list it opens and the field as its two children. Qt's own interface for
// an editable combo box names it by its text on Linux and macOS, where a
// label is expected to name it through a buddy relation; the window's one
// heading serves three drop-downs, so a screen reader heard only "1",
// "January" and "1980".
class DateComboAccessible : public QAccessibleWidget
{
public:
    explicit DateComboAccessible(DateCombo *combo);

    // The factory to install with QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    QAccessible::Role role() const override { return QAccessible::ComboBox; }
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override { return 2; }
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    DateCombo *combo() const;
};

} // namespace app
