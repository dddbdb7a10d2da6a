#pragma once

#include <QComboBox>

namespace app {

// An editable drop-down of fixed items that reports exactly two things: the
// user edited the typed text, or the user picked an item. Nothing a program
// does to it (setting its text or its items) is reported.
//
// The list holds exactly its items: there is no inline completion (it would
// turn a typed 1 into 1900) and Enter inserts nothing. Its list follows the
// typed text: the arrow keys and the opened list step from the item equal to
// what the field shows, as a native drop-down does, instead of from an item
// picked long ago.
class DateCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit DateCombo(QWidget *parent = nullptr);

    // Replaces the items; the field keeps its text and no item is picked.
    void setItems(const QStringList &items);

    void showPopup() override;

signals:
    void edited();
    void picked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void syncIndexToText();
};

} // namespace app
