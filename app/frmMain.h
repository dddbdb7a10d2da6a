#pragma once

// The one window. Its labels are the program's whole state: CalcDOB, SetCompat
// and the celebrity selection read numbers back from them and write results
// into them through the pure functions of engine/ and database/. LoadDB hands
// the load to a CelebrityLoader and shows its progress at each of its progress
// points, where a FramePacer lets the window repaint and handle input.

#include <QWidget>

#include <memory>

namespace Ui {
class frmMain;
}

namespace app {

class CelebrityModel;
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

    // Reads db.txt into the celebrity list, showing its progress in the
    // status line.
    void LoadDB();
    // Opens a web page in the system's file browser without waiting for it.
    void OpenSite(const QString &url);
    // Recomputes the user's Life Path and Attitude numbers from the three
    // drop-downs, then the compatibility percentage.
    void CalcDOB();
    // Recomputes the compatibility percentage from the labels.
    void SetCompat();

    // The folder db.txt is looked for from (beside the program, then in the
    // data folders): the program's own unless a test gives its own.
    void setProgramFolder(const QString &folder);
    // Replaces how OpenSite starts the file browser (tests record instead).
    void setLauncher(std::unique_ptr<links::Launcher> launcher);

signals:
    // CalcDOB has begun to run: once for every edit and every pick in a
    // date drop-down, and once at start-up.
    void calcDobRan();

private:
    void applyFonts();
    void fillDateLists();
    void connectEvents();
    void loadButtonClicked();
    void celebritySelected();

    std::unique_ptr<Ui::frmMain> ui;
    CelebrityModel *celebrities = nullptr;
    std::unique_ptr<links::Launcher> launcher;
    QString programFolder;
};

} // namespace app
