#pragma once

#include "listen_address.h"
#include "rig_faults.h"

#include <QString>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// What dilutra-cli serve runs: the rig's ports (or the simulated rig's,
// with the faults it is to show), the gases, where to listen and where the
// journal goes.
struct TServeOptions {
    std::string RelayPort;  // "" with Simulate: the simulated rig's
    std::string MfcPort;
    bool Simulate = false;
    std::vector<TScheduledFault> Faults;
    std::string GasA;  // as the Setup page's lists name them
    std::string GasB;
    TListenAddress Listen = DefaultListenAddress();
    QString JournalFolder;  // the user's data folder's when empty
};

// The rig without a window: the mixer core on a thread of its own with its
// tick and supervision, set up as the Setup page sets it up (ports found,
// the chosen ones validated, both gases selected, the bubbler read), the
// log kept with its journal, and the SCPI command server in front. One line
// per change of state, alarm and remote client goes to `out`. Stop (a
// signal) runs the close duties: no client any more, every valve closed and
// both set-points zero, the journal closed.
class TServe {
public:
    TServe(const TServeOptions& options, std::FILE* out, std::FILE* err);
    ~TServe();
    TServe(const TServe&) = delete;
    TServe& operator=(const TServe&) = delete;

    // Sets up and serves until Stop; the exit code: 0 after Stop, 1 when the
    // rig could not be set up or the address not listened on.
    int Run();
    void Stop();

private:
    struct TParts;
    void SetUp();
    void Serve();
    void Fail(const QString& why);

    TServeOptions options_;
    std::FILE* err_;
    std::unique_ptr<TParts> p_;
    int code_ = 0;
    bool stopped_ = false;
};
