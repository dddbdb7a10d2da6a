#pragma once

#include <QComboBox>

// An editable drop-down whose list follows its typed text: the arrow keys and
// the opened list step from the item equal to what the field shows, as a
// native drop-down does, instead of from an item picked long ago.
class DateCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit DateCombo(QWidget *parent = nullptr);

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void syncIndexToText();
};
