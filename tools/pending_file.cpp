#include "pending_file.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

constexpr int NameAttempts = 16;

}  // namespace

TPendingFile::~TPendingFile()
{
    if (file_.isOpen() || (!file_.fileName().isEmpty() && QFileInfo::exists(file_.fileName()))) {
        file_.close();
        QFile::remove(file_.fileName());
    }
}

bool TPendingFile::Begin(const QString& path)
{
    path_ = path;
    if (QFileInfo::exists(path))
        return Fail(QStringLiteral("the file already exists"));
    // A name of its own beside the target, made only if no file has it.
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QString name = QStringLiteral("%1.%2.partial")
                                 .arg(path)
                                 .arg(QRandomGenerator::global()->bounded(0x1000000), 6, 16, QLatin1Char('0'));
        file_.setFileName(name);
        if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!QFileInfo::exists(name))
            break;  // not a clash of names: the folder refuses
    }
    const QString why = file_.errorString();
    file_.setFileName(QString());
    return Fail(why);
}

bool TPendingFile::Complete()
{
    if (!file_.isOpen())
        return Fail(error_.isEmpty() ? QStringLiteral("the file was not made") : error_);
    const bool written = file_.flush() && file_.error() == QFileDevice::NoError;
    const QString writeError = file_.errorString();
    file_.close();
    if (!written) {
        QFile::remove(file_.fileName());
        return Fail(writeError);
    }
    // QFile::rename never replaces an existing file.
    QFile moved(file_.fileName());
    if (!moved.rename(path_)) {
        const QString why = QFileInfo::exists(path_) ? QStringLiteral("the file already exists") : moved.errorString();
        QFile::remove(file_.fileName());
        return Fail(why);
    }
    file_.setFileName(QString());
    return true;
}

bool TPendingFile::Fail(const QString& why)
{
    error_ = why;
    return false;
}
