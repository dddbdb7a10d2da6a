#pragma once

// The one window. Its labels are the program's whole state: CalcDOB, SetCompat
// and the celebrity selection read numbers back from them and write results
// into them through the pure functions of engine/ and database/; LoadDB fills
// the celebrity list from db.txt, letting the window work between its lines.

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class frmMain;
}
class CelebrityModel;
class QLabel;
namespace links {
class Launcher;
}

class frmMain : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Reads db.txt beside the program into the celebrity list, showing its
    // progress in the status line.
    void LoadDB();
    // Opens a web page in the system's file browser without waiting for it.
    void OpenSite(const QString &url);
    // Recomputes the user's Life Path and Attitude numbers from the three
    // drop-downs, then the compatibility percentage.
    void CalcDOB();
    // Recomputes the compatibility percentage from the labels.
    void SetCompat();

    // Replaces how OpenSite starts the file browser (tests record instead).
    void setLauncher(std::unique_ptr<links::Launcher> launcher);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void applyLook();
    void fillDateLists();
    void connectEvents();
    void loadButtonClicked();
    void celebritySelected();
    // Lets the window repaint and handle input in the middle of a load.
    // False once the window has been closed.
    bool letEventsRun();

    std::unique_ptr<Ui::frmMain> ui;
    CelebrityModel *celebrities = nullptr;
    std::unique_ptr<links::Launcher> launcher;
    bool loading = false;
    bool closing = false;
    bool framePending = false;
    bool painted = false;
    QElapsedTimer sinceFrame;
};
