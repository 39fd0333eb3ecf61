#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class SerialLines;
class TEquipmentGateway;
class TMixerHost;
struct TWindowState;

// The gases the rig offers, in the order of the Setup page's lists: a gas's
// position gives its controller's gas table (position + 2).
inline constexpr std::array<const char*, 2> GasListA = {"O2", "5%H2,95%Ar"};
inline constexpr std::array<const char*, 2> GasListB = {"Ar", "N2"};
// The position of `gas` in the list of controller `Address` (1 gas A, 2 gas
// B); -1 when it is not there.
int GasListPosition(std::uint32_t Address, const std::string& gas);

// The setup as it stands: the ports found and chosen, the three marks and
// the gases chosen (positions in GasListA and GasListB, -1 for none).
struct TSetupState {
    std::vector<std::string> Ports;
    unsigned PortSearches = 0;  // how often the ports have been looked for
    std::string RelayPort;      // "" while none is chosen
    std::string MfcPort;
    bool SolenoidOK = false;
    bool MFCOK = false;
    bool GasesSelected = false;
    int GasA = -1;
    int GasB = -1;
    // What controllers 1 and 2 answered to their identification (their
    // serial), "" until identified.
    std::array<std::string, 2> Identification;

    // All three marks: operation may begin.
    bool Complete() const { return SolenoidOK && MFCOK && GasesSelected; }
    // The chosen gases' names, "" while one is not chosen.
    std::string GasAName() const;
    std::string GasBName() const;
};

// The rig's setup without a window: the ports, the relay board's check and
// the controllers' identification, the gas choice (each controller switched
// to its gas's table and its range read) and the three marks. The Setup
// page shows its state and sends it the operator's clicks; a run without a
// window sets the rig up through the same commands. Every change is shown
// through the host (ShowSetup), transcripts and messages too.
class TRigSetup {
public:
    TRigSetup(TWindowState& state, TEquipmentGateway& gateway, SerialLines& lines, TMixerHost& host);

    const TSetupState& State() const { return State_; }

    // The ports present now; a chosen port that is still there stays
    // chosen, one that has gone takes its device's mark and the gas mark
    // with it.
    void FindPorts();
    // The ports the operator chose ("" for none); the marks stay.
    void SelectPorts(const std::string& relayPort, const std::string& mfcPort);
    // Checks the relay board and identifies both controllers on the chosen
    // ports (a port not chosen is skipped and its mark kept); the
    // transcripts go to the Setup page's feedback.
    void Validate();
    // The gas at `position` of controller `Address`'s list (-1: the
    // selection removed): with the controllers proven, that controller is
    // switched to the gas's table and its range read. False when the gas is
    // not chosen (the selection is removed and the operator told).
    bool SelectGas(std::uint32_t Address, int position);
    // Sets or clears the gas mark from the other two and the two gases.
    void CheckContinue();
    // Back on the Setup page: the gas choice is withdrawn (the controllers
    // keep their tables and the ranges stay) and the operator told.
    void WithdrawGases();

    // Runs before a controller is switched to another gas: a mixture
    // running on meanwhile would be metered with the wrong gas.
    std::function<void()> BeforeGasSwitch;
    // Runs when controller `Address`'s gas has been chosen.
    std::function<void(std::uint32_t Address)> GasChosen;

private:
    void Show();
    void KeepPort(std::string& port, bool& mark);

    TWindowState& S_;
    TEquipmentGateway& Gateway_;
    SerialLines& Lines_;
    TMixerHost& Host_;
    TSetupState State_;
};
