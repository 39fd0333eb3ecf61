#pragma once

#include "log_snapshot.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class QThread;

// Saves the log on a thread of its own, so the window's thread (and with it
// the mixer's tick) goes on while a long log is written. One save at a time.
class TLogSaver final : public QObject {
    Q_OBJECT

public:
    explicit TLogSaver(QObject* parent = nullptr);
    // Waits for a running save; its result is then not announced.
    ~TLogSaver() override;

    bool Running() const { return worker_ != nullptr; }

    // Starts writing `log` with the report `memoText` into the new file
    // `path`. Returns false, starting nothing, while a save is running.
    bool Start(const QString& path, const QString& memoText, TLogSnapshot log);

    // Blocks until a running save has finished (a join, not a timed wait)
    // and announces its result before returning.
    void Wait();

signals:
    // A save has ended; `changes` is the log's count of changes it holds.
    void Finished(bool saved, std::uint64_t changes);

private:
    // The worker's notice that a save has ended; it carries no data of ours,
    // and the result is handed over through `saved_`.
    Q_INVOKABLE void Announce(quint64 save);

    QThread* worker_ = nullptr;
    // Written by the worker before it ends, read after it has been joined.
    std::atomic<bool> saved_{false};
    std::uint64_t changes_ = 0;
    std::uint64_t saves_ = 0;  // saves started
};
