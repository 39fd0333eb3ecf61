#include "log_saver.h"

#include "log_file.h"

#include <QThread>

#include <utility>

TLogSaver::TLogSaver(QObject* parent)
    : QObject(parent)
{
}

TLogSaver::~TLogSaver()
{
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

bool TLogSaver::Start(const QString& path, const QString& memoText, TLogSnapshot log)
{
    if (worker_)
        return false;
    changes_ = log.Changes();
    saved_.store(false, std::memory_order_relaxed);
    const std::uint64_t save = ++saves_;
    // The worker reads only the snapshot and its own copies of the texts;
    // its notice names the save, so a late notice of an earlier save that
    // Wait has announced already does nothing.
    worker_ = QThread::create([this, save, path, memoText, log = std::move(log)] {
        saved_.store(SaveLogFile(path, memoText, log), std::memory_order_release);
        QMetaObject::invokeMethod(this, "Announce", Qt::QueuedConnection, Q_ARG(quint64, save));
    });
    worker_->start();
    return true;
}

void TLogSaver::Wait()
{
    Announce(saves_);
}

void TLogSaver::Announce(quint64 save)
{
    if (!worker_ || save != saves_)
        return;
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    emit Finished(saved_.load(std::memory_order_acquire), changes_);
}
