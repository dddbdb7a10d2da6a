#pragma once

// The one window. Its labels are the program's whole state: CalcDOB and
// SetCompat read numbers back from them and write results into them, using
// the pure functions of engine/.

#include <QWidget>

#include <memory>

namespace Ui {
class frmMain;
}

class frmMain : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Recomputes the user's Life Path and Attitude numbers from the three
    // drop-downs, then the compatibility percentage.
    void CalcDOB();
    // Recomputes the compatibility percentage from the labels.
    void SetCompat();

private:
    void fillDateLists();
    void connectDateEntry();

    std::unique_ptr<Ui::frmMain> ui;
};
