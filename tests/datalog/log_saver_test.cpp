#include "log_file.h"
#include "log_inputs.h"
#include "log_saver.h"
#include "log_table_model.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <string>

// A save runs on a thread of its own while the window's thread goes on
// storing rows (more chunks, new texts, the first row written over). The
// file holds the table as it stood when the save started. Run under
// ThreadSanitizer this also shows that the two threads share no memory one
// of them writes.
TEST(LogSaver, SavesTheTableAsItStoodWhileRowsGoOn)
{
    struct Case {
        const char* name;
        bool markerFirst;
        int rowsBefore, rowsDuring;
    };
    const Case cases[] = {
        {"a marker alone, written over by the first row during the save", true, 0, 3},
        {"rows in three chunks, more chunks and texts during the save", false, 20000, 30000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLogTableModel log;
        log.SetColumns(StandardLogColumns());
        if (c.markerFirst)
            log.AttachReport(log.StoreMarker(), "Plan");
        for (int i = 0; i < c.rowsBefore; ++i)
            log.StoreRow(RowAt(TMixerState::Dilution, i));
        QBuffer expected;
        expected.open(QIODevice::WriteOnly);
        ASSERT_TRUE(WriteLogFile(expected, "Report\n", log));

        QTemporaryDir dir;
        TLogSaver saver;
        QList<bool> results;
        QObject::connect(&saver, &TLogSaver::Finished, [&](bool saved, std::uint64_t) { results << saved; });
        ASSERT_TRUE(saver.Start(dir.filePath("log.csv"), "Report\n", log.Snapshot()));
        EXPECT_FALSE(saver.Start(dir.filePath("other.csv"), "Report\n", log.Snapshot())) << "one save at a time";
        for (int i = 0; i < c.rowsDuring; ++i)
            log.StoreRow(RowAt(TMixerState::Dilution, i, "method " + std::to_string(i % 500)));
        saver.Wait();

        EXPECT_EQ(results, QList<bool>{true});
        EXPECT_FALSE(saver.Running());
        EXPECT_FALSE(QFile::exists(dir.filePath("other.csv")));
        QFile file(dir.filePath("log.csv"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll() == expected.data());
    }
}
