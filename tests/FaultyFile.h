#pragma once

// db.txt read through a stand-in for the plain file (DbFile's seam): every
// read from a given byte on fails, each read may take a while (a slow disk),
// and the bytes handed out are counted.

#include "database/reading/DbFile.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <memory>
#include <thread>

class FaultyFile : public QFile
{
public:
    FaultyFile(const QString &path, qint64 failAt, int msPerRead, std::atomic<qint64> &handedOut)
        : QFile(path), failAt(failAt), msPerRead(msPerRead), handedOut(handedOut)
    {}

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (delivered >= failAt) {
            setErrorString(QStringLiteral("a read failed on purpose"));
            return -1;
        }
        if (msPerRead > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(msPerRead));
        const qint64 n = QFile::readData(data, std::min(maxSize, failAt - delivered));
        if (n > 0) {
            delivered += n;
            handedOut += n;
        }
        return n;
    }

private:
    const qint64 failAt;
    const int msPerRead;
    qint64 delivered = 0;
    std::atomic<qint64> &handedOut;
};

// Every db.txt opened while it lives is a FaultyFile.
class FaultyFiles
{
public:
    explicit FaultyFiles(qint64 failAt = std::numeric_limits<qint64>::max(), int msPerRead = 0)
    {
        database::setDeviceOpener([this, failAt, msPerRead](const QString &path) {
            auto file = std::make_unique<FaultyFile>(path, failAt, msPerRead, handedOut);
            if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                file.reset();
            return std::unique_ptr<QIODevice>(std::move(file));
        });
    }
    ~FaultyFiles() { database::setDeviceOpener({}); }
    FaultyFiles(const FaultyFiles &) = delete;
    FaultyFiles &operator=(const FaultyFiles &) = delete;

    qint64 bytesHandedOut() const { return handedOut; }

private:
    std::atomic<qint64> handedOut{0};
};
