#include "links.h"

#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include "database/text/PlatformText.h"
#include "platform/win32.h"
#endif

namespace app::links {

QString commandLine(const QString &windir, const QString &url)
{
    return windir + QStringLiteral("\\explorer.exe ") + u'"' + url + u'"';
}

namespace {

#ifdef Q_OS_WIN

class WindowsLauncher : public Launcher
{
public:
    void start(const QString &commandLine) override
    {
        platform::startMaximised(database::toU16(commandLine));
    }
};

#else

// There is no explorer.exe here: the desktop's opener stands in for the file
// browser and is given the URL the command line carries.
class DesktopLauncher : public Launcher
{
public:
    void start(const QString &commandLine) override
    {
        const qsizetype open = commandLine.indexOf(u'"');
        const qsizetype close = commandLine.lastIndexOf(u'"');
        if (open < 0 || close <= open)
            return;
        const QString url = commandLine.mid(open + 1, close - open - 1);
#ifdef Q_OS_MACOS
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("open"));
#else
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
#endif
        if (!opener.isEmpty())
            QProcess::startDetached(opener, {url});
    }
};

#endif

} // namespace

std::unique_ptr<Launcher> systemLauncher()
{
#ifdef Q_OS_WIN
    return std::make_unique<WindowsLauncher>();
#else
    return std::make_unique<DesktopLauncher>();
#endif
}

} // namespace app::links
