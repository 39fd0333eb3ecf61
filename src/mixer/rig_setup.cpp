// The setup of the rig: ports, the equipment proven, the gases chosen.
#include "rig_setup.h"

#include "compounds.h"
#include "equipment_gateway.h"
#include "mfc_services.h"
#include "mixer_host.h"
#include "serial_lines.h"
#include "window_state.h"

#include <algorithm>

namespace {

const std::array<const char*, 2>& GasList(std::uint32_t Address)
{
    return Address == 1 ? GasListA : GasListB;
}

std::string GasName(std::uint32_t Address, int position)
{
    const auto& list = GasList(Address);
    return position >= 0 && position < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(position)]
                                                                     : std::string();
}

}  // namespace

int GasListPosition(std::uint32_t Address, const std::string& gas)
{
    const auto& list = GasList(Address);
    const auto found = std::find(list.begin(), list.end(), gas);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

std::string TSetupState::GasAName() const
{
    return GasName(1, GasA);
}

std::string TSetupState::GasBName() const
{
    return GasName(2, GasB);
}

TRigSetup::TRigSetup(TWindowState& state, TEquipmentGateway& gateway, SerialLines& lines, TMixerHost& host)
    : S_(state)
    , Gateway_(gateway)
    , Lines_(lines)
    , Host_(host)
{
}

void TRigSetup::Show()
{
    Host_.ShowSetup(State_);
}

void TRigSetup::FindPorts()
{
    State_.Ports = Lines_.portNames();
    ++State_.PortSearches;
    // A running mixer must not lose a port that is still there.
    KeepPort(State_.RelayPort, State_.SolenoidOK);
    KeepPort(State_.MfcPort, State_.MFCOK);
    Show();
}

void TRigSetup::KeepPort(std::string& port, bool& mark)
{
    if (port.empty())
        return;
    // A stable name is the same port wherever it leads now.
    const auto same = std::find_if(State_.Ports.begin(), State_.Ports.end(),
                                   [&](const std::string& listed) { return PortNameOf(listed) == PortNameOf(port); });
    if (same != State_.Ports.end()) {
        port = *same;
        return;
    }
    // Equipment on a port that has gone is no longer proven.
    const std::string gone = port;
    port.clear();
    mark = false;
    State_.GasesSelected = false;
    Host_.ShowMessage(QStringLiteral("Port %1 is no longer present").arg(QString::fromStdString(gone)));
}

void TRigSetup::SelectPorts(const std::string& relayPort, const std::string& mfcPort)
{
    State_.RelayPort = relayPort;
    State_.MfcPort = mfcPort;
    Show();
}

void TRigSetup::Validate()
{
    auto feedback = [this](const std::string& line) { Host_.AddSetupFeedbackLine(QString::fromStdString(line)); };
    if (!State_.RelayPort.empty()) {
        const TBoardCheck check = Gateway_.CheckRelayBoard();
        for (const std::string& line : check.Lines)
            feedback(line);
        State_.SolenoidOK = check.Ok;
    }
    if (!State_.MfcPort.empty()) {
        const MfcIdentification identification = Gateway_.IdentifyMFCs();
        State_.Identification = {identification.Controller1.Status.empty() ? identification.Controller1.AsString : "",
                                 identification.Controller2.Status.empty() ? identification.Controller2.AsString : ""};
        State_.MFCOK = ReportIdentification(identification, feedback);
    }
    Show();
}

bool TRigSetup::SelectGas(std::uint32_t Address, int position)
{
    const bool gasA = Address == 1;
    int& chosen = gasA ? State_.GasA : State_.GasB;
    bool taken = false;
    if (!State_.MFCOK) {
        // Refused: no equipment is contacted and the mixer is left alone.
        Host_.ShowMessage(QStringLiteral("MFC not validated, cannot select gas yet"));
        chosen = -1;
    } else if (position < 0 || position >= static_cast<int>(GasList(Address).size())) {
        chosen = -1;
    } else {
        chosen = position;
        if (BeforeGasSwitch)
            BeforeGasSwitch();
        const std::string failure
            = Gateway_.MinMaxFlow(State_.MfcPort, Address, GasTableNumber(position), gasA ? S_.FIA : S_.FIB,
                                  gasA ? S_.PossibleMinFlowAGramsperMinute : S_.PossibleMinFlowBGramsperMinute,
                                  gasA ? S_.PossibleMaxFlowAGramsperMinute : S_.PossibleMaxFlowBGramsperMinute);
        if (failure.empty()) {
            (gasA ? S_.A : S_.B) = GetCompound(GasName(Address, position));
            taken = true;
        } else {
            // The range and the gas stay as they were; the choice is not made.
            Host_.ShowMessage(QStringLiteral("Controller %1 did not report a usable flow range; gas not selected\n%2")
                                  .arg(Address)
                                  .arg(QString::fromStdString(failure)));
            chosen = -1;
        }
    }
    CheckContinue();
    if (taken && GasChosen)
        GasChosen(Address);
    return taken;
}

void TRigSetup::CheckContinue()
{
    State_.GasesSelected = State_.SolenoidOK && State_.MFCOK && State_.GasA >= 0 && State_.GasB >= 0;
    Show();
}

void TRigSetup::WithdrawGases()
{
    // Gases are chosen again before operation resumes; the controllers keep
    // their tables and the ranges stay meanwhile.
    State_.GasesSelected = false;
    State_.GasA = -1;
    State_.GasB = -1;
    Show();
    Host_.ShowMessage(QStringLiteral("Gas selections removed"));
}
