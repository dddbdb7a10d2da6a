#pragma once

// A file at a given path that exists but cannot be read, for as long as the
// object lives: what the reader and the window must report as "CANNOT READ".

#include <QFile>
#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

class UnreadableFile
{
public:
    explicit UnreadableFile(const QString &path)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("a, 1 1 1900,2\r\n");
        file.close();
#ifdef Q_OS_WIN
        // Permissions do not keep Windows' own from reading; a handle that
        // shares nothing does: every other open fails while it is held.
        handle = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ok = handle != INVALID_HANDLE_VALUE;
#else
        if (::geteuid() == 0) {
            // For root no permission bits forbid reading; a file whose every
            // read fails stands in for an unreadable one.
            ok = QFile::remove(path) && QFile::link(QStringLiteral("/proc/self/clear_refs"), path);
        } else {
            ok = QFile(path).setPermissions({});
        }
#endif
    }
    ~UnreadableFile()
    {
#ifdef Q_OS_WIN
        if (ok)
            CloseHandle(handle);
#endif
    }
    UnreadableFile(const UnreadableFile &) = delete;
    UnreadableFile &operator=(const UnreadableFile &) = delete;

    // False when the file could not be made unreadable.
    bool isReady() const
    {
        return ok;
    }

private:
    bool ok = false;
#ifdef Q_OS_WIN
    HANDLE handle = INVALID_HANDLE_VALUE;
#endif
};
