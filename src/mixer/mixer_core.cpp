#include "mixer_core.h"

#include "columns.h"
#include "compounds.h"
#include "clock.h"
#include "mixer_host.h"
#include "uncertainty.h"

TMixerCore::TMixerCore(SerialLines& lines, Clock& clock, TMixerHost& host)
    : Host(host)
    , Gateway(lines, clock,
              TEquipmentPorts{[this] { return Setup.State().RelayPort; }, [this] { return Setup.State().MfcPort; }})
    , Setup(State, Gateway, lines, host)
    , Mixer(State, Gateway, Setup.State(), host, clock)
{
    // A cylinder whose certificate has expired, or a controller whose
    // calibration is past due, is told when its gas is chosen.
    Setup.GasChosen = [this, &clock](std::uint32_t address) {
        const bool gasA = address == 1;
        const TRecords& r = State.Records;
        const QStringList warnings
            = ExpiredRecords(r.Source(gasA ? Setup.State().GasAName() : Setup.State().GasBName()),
                             r.Controller(Setup.State().Identification[gasA ? 0 : 1]), gasA ? 'A' : 'B', clock.now());
        if (!warnings.isEmpty())
            Host.ShowMessage(warnings.join(QLatin1Char('\n')));
    };
    State.P = StandardLogColumns();
    State.H2OC = GetCompound("H2O");
    // The valve flags and the schematic follow the board: they change only
    // when it accepted a pattern.
    Gateway.OnValvesAccepted = [this](std::uint8_t pattern) {
        bool* flags[] = {&State.V1O, &State.V2O, &State.V3O, &State.V4O, &State.V5O, &State.V6O};
        for (int bit = 0; bit < 6; ++bit)
            *flags[bit] = (pattern >> bit) & 1;
        Host.ShowValves(pattern);
    };
    // A mixer that has been started is stopped and the rig made safe before
    // a controller is switched to another gas.
    Setup.BeforeGasSwitch = [this] {
        if (State.MixerState != TMixerState::Unknown)
            Mixer.StopAndMakeSafe();
    };
}

void TMixerCore::Tick()
{
    // The readout shows what this tick read, also when the tick failed.
    try {
        Mixer.Timer1Timer();
    } catch (...) {
        Host.ShowReadout(Mixer.Readout());
        throw;
    }
    Host.ShowReadout(Mixer.Readout());
}

void TMixerCore::Close()
{
    Gateway.MakeSafe(Setup.State().SolenoidOK, Setup.State().MFCOK);
    Mixer.WindowClosing();
}
