#include "cli_export.h"

#include "cli_arguments.h"
#include "journal_export.h"
#include "pending_file.h"

#include <QFile>

#include <iostream>

namespace {

const QCommandLineOption& Output()
{
    static const QCommandLineOption o(QStringLiteral("output"),
                                      QStringLiteral("Write the table into this new file instead of standard output."),
                                      QStringLiteral("FILE"));
    return o;
}

}  // namespace

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CliCommandLine line("export", "Writes a journal as a tidy CSV table for analysis tools.");
    line.Add(Output());
    line.AddPositional(QStringLiteral("journal"), QStringLiteral("A journal file of the program."));
    if (const auto exit = line.Parse(args, out, err))
        return *exit;
    if (line.Positional().size() != 1)
        return line.Refuse(err, "needs one journal file");
    const std::string path = line.Positional().front();
    auto failed = [&](const std::string& why) {
        err << "dilutra-cli export: " << path << ": " << why << '\n';
        return ExitFailed;
    };

    QFile journal(QString::fromLocal8Bit(path));
    if (!journal.open(QIODevice::ReadOnly))
        return failed(journal.errorString().toStdString());
    const TJournalExport table = ExportJournal(journal.readAll());
    if (!table.Problem.empty())
        return failed(table.Problem);
    if (table.SkippedLines > 0)
        err << "note: " << table.SkippedLines << " row(s) cut short left out\n";

    if (!line.Has(Output())) {
        out << table.Csv;
        out.flush();
        return ExitDone;
    }
    const std::string target = line.Text(Output());
    TPendingFile file;
    const auto size = static_cast<qint64>(table.Csv.size());
    if (!file.Begin(QString::fromLocal8Bit(target)) || file.Device().write(table.Csv.data(), size) != size
        || !file.Complete()) {
        const QString why = file.Error().isEmpty() ? file.Device().errorString() : file.Error();
        err << "dilutra-cli export: " << target << ": " << why.toStdString() << '\n';
        return ExitFailed;
    }
    return ExitDone;
}

int ExportCommand(const std::vector<std::string>& args)
{
    return RunExport(args, std::cout, std::cerr);
}
