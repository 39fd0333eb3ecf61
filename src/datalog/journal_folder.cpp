#include "journal_folder.h"

#include "day_count.h"
#include "time_picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

const QString ClosingPrefix = QStringLiteral("Run closed at ");

struct TJournalFile {
    QFileInfo Info;
    QString Start;   // "yyyy-mm-dd hh_nn_ss"
    int Number = 1;  // the n of " (n)"
};

std::vector<TJournalFile> JournalFiles(const QString& folder)
{
    static const QRegularExpression name(
        QStringLiteral(R"(^(\d{4}-\d{2}-\d{2} \d{2}_\d{2}_\d{2})(?: \((\d+)\))?\.csv$)"));
    std::vector<TJournalFile> files;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files)) {
        const QRegularExpressionMatch m = name.match(info.fileName());
        if (m.hasMatch())
            files.push_back({info, m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    std::sort(files.begin(), files.end(), [](const TJournalFile& a, const TJournalFile& b) {
        return a.Start != b.Start ? a.Start < b.Start : a.Number < b.Number;
    });
    return files;
}

}  // namespace

TJournalFolderScan TidyJournalFolder(const QString& folder, double wallDays)
{
    TJournalFolderScan scan;
    const std::vector<TJournalFile> files = JournalFiles(folder);
    if (!files.empty() && !JournalIsClosed(files.back().Info.filePath()))
        scan.Unclosed = files.back().Info.filePath();
    for (const TJournalFile& f : files) {
        const double written = DateTimeToDayCount(f.Info.lastModified());
        if (wallDays - written > JournalKeepDays && f.Info.filePath() != scan.Unclosed
            && QFile::remove(f.Info.filePath()))
            ++scan.Removed;
    }
    return scan;
}

QString NewJournalPath(const QString& folder, double wallDays)
{
    const QString start = FormatDayCount(QStringLiteral("yyyy-mm-dd hh_nn_ss"), wallDays);
    const QDir dir(folder);
    QString path = dir.filePath(start + QStringLiteral(".csv"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).csv").arg(start).arg(n));
    return path;
}

QString JournalClosingLine(double wallDays)
{
    return ClosingPrefix + FormatDayCount(QStringLiteral("yyyy-mm-dd hh:nn:ss"), wallDays);
}

bool JournalIsClosed(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 tail = 256;
    if (file.size() > tail)
        file.seek(file.size() - tail);
    QByteArray end = file.readAll();
    while (end.endsWith('\n') || end.endsWith('\r'))
        end.chop(1);
    const qsizetype lineStart = end.lastIndexOf('\n') + 1;
    return end.mid(lineStart).startsWith(ClosingPrefix.toLatin1());
}
