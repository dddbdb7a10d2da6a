#pragma once

// db.txt read through a stand-in for the plain file (DbFile's seam): every
// read from a given byte on fails, and the bytes handed out are counted.

#include "database/DbFile.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>

class FaultyFile : public QFile
{
public:
    FaultyFile(const QString &path, qint64 failAt, std::atomic<qint64> &handedOut)
        : QFile(path), failAt(failAt), handedOut(handedOut)
    {}

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (delivered >= failAt) {
            setErrorString(QStringLiteral("a read failed on purpose"));
            return -1;
        }
        const qint64 n = QFile::readData(data, std::min(maxSize, failAt - delivered));
        if (n > 0) {
            delivered += n;
            handedOut += n;
        }
        return n;
    }

private:
    const qint64 failAt;
    qint64 delivered = 0;
    std::atomic<qint64> &handedOut;
};

// Every db.txt opened while it lives is a FaultyFile.
class FaultyFiles
{
public:
    explicit FaultyFiles(qint64 failAt = std::numeric_limits<qint64>::max())
    {
        database::setDeviceOpener([this, failAt](const QString &path) {
            auto file = std::make_unique<FaultyFile>(path, failAt, handedOut);
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
