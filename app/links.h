#pragma once

#include <QString>

#include <memory>

// The maker's two web pages and how the window hands one to the system's file
// browser: a command line "<windir>\explorer.exe "<url>"", started without
// waiting. The host lies under a reserved example domain: no real site is meant.

namespace app::links {

inline const QString kHomePage = QStringLiteral("http://www.vantorel.example");
inline const QString kDatabasePage = kHomePage + QStringLiteral("/qz.html");

// The command line that opens a URL in the file browser of the system folder.
QString commandLine(const QString &windir, const QString &url);

// Starts a command line as a new process and returns at once. A failure to
// start is silent: the caller is never told and nothing is shown.
class Launcher
{
public:
    virtual ~Launcher() = default;
    virtual void start(const QString &commandLine) = 0;
};

// The platform's own: on Windows the command line itself, shown maximised;
// elsewhere the desktop's opener with the URL between the command line's quotes.
std::unique_ptr<Launcher> systemLauncher();

} // namespace app::links
