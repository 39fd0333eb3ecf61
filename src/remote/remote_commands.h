#pragma once

#include "flow_program.h"
#include "scpi_errors.h"
#include "scpi_parser.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TMixerCore;
class TRemoteView;

// What a client of the server keeps between its commands: its error queue,
// the program its PROGram:STEP:ADD commands have built, and its address for
// the Debug page.
struct TRemoteClientState {
    TScpiErrorQueue Errors;
    TFlowProgram Program;
    std::string Peer;  // "127.0.0.1:50312"
};

// What a command came to: its reply (a query's) and the errors it raised.
struct TRemoteOutcome {
    std::optional<std::string> Reply;
    std::vector<TScpiError> Errors;
};

// One command, ready to run: what it found out already (a parameter out of
// range, the program's step count), what it does on the core (nothing for
// what the server answers itself), and what it does with the client's
// state once it and every command before it have been carried out.
struct TRemoteStep {
    TRemoteOutcome Outcome;
    std::function<void(TMixerCore&, TRemoteOutcome&)> OnCore;
    std::function<void(TRemoteClientState&, TRemoteOutcome&)> InOrder;
    bool TickSoon = false;  // the rig acts on it at once, not at the next tick (Standby)
};

// The step of a parsed command. Each does what the same action in the
// window does, with the same core commands: a mixture set as the operator
// sets it (the water limits' corrections become errors 101 and 102), the
// state buttons (refused while an alarm waits: -221), the flow program,
// the alarm's acknowledgement and the log's marks. Nothing that starts the
// rig is taken before the setup is complete. PROGram:CLEar and
// PROGram:STEP:ADD change only the client's program.
// Queries are answered from `view` in their turn, once every command before
// them is done; *OPC? waits for the core itself.
TRemoteStep RemoteStep(const TScpiCommand& command, TRemoteClientState& client,
                       const std::shared_ptr<const TRemoteView>& view);

// The reply to *IDN?.
std::string RemoteIdentity();
