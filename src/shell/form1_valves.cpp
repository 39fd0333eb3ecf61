// Commands to the equipment from the window, carried out by the core on the
// ports chosen: valves, a set-point, the totalizers, the bubbler reading.
#include "form1.h"

#include "mixer_core.h"
#include "valve_graphics.h"

void TForm1::SetValvePositions(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O)
{
    // The schematic follows the board: it changes only when the board
    // accepted the pattern.
    Service_->Post([=](TMixerCore& c) { c.Gateway.SetValvePositions(iV1O, iV2O, iV3O, iV4O, iV5O, iV6O); });
}

void TForm1::SetMFCFlow(std::uint32_t Address, double Flow)
{
    Service_->Post([=](TMixerCore& c) { c.Gateway.SetMFCFlow(Address, Flow); });
}

void TForm1::ReadTotalizers()
{
    Service_->Post([](TMixerCore& c) { c.Gateway.ReadTotalizers(c.State.TotalizerA, c.State.TotalizerB); });
}

void TForm1::SetValveGraphics(unsigned ID, bool Open)
{
    ::SetValveGraphics(Schematic, ID, Open);
    RefreshSchematic();
}

void TForm1::RtIntegerEditH2OTempValueChanged()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.ReadBubbler(); });
}
