#pragma once

#include "mfc_services.h"
#include "serial_response.h"

#include <QString>

#include <cstdint>

// What the mixer needs of the main window: its status label, its two memos,
// its message queue and timer, the log, the planner, the bubbler's vapour
// pressure and the equipment operations as the window carries them out
// (each on the port selected on the Setup page at the moment it runs).
class TMixerHost {
public:
    virtual ~TMixerHost() = default;

    // The caption of LabelStatus.
    virtual void ShowStatus(const QString& text) = 0;
    // One line at the end of Memo4 (below the plan report).
    virtual void AddPlanLine(const QString& line) = 0;
    // One line at the end of MemoDevFeedback (the Debug page).
    virtual void AddDevFeedbackLine(const QString& line) = 0;
    // Handles the window's pending messages once: repaints, clicks, a close.
    virtual void ProcessMessages() = 0;
    // Starts or stops Timer1.
    virtual void SetTimerEnabled(bool enabled) = 0;

    // Appends one log row describing the present moment and sets
    // DataStoredLast; may raise an error when the row cannot be computed.
    virtual void StoreData() = 0;
    // Plans the mixture from the request on the Operation page.
    virtual void Calculate() = 0;
    // The water vapour pressure at the bubbler (atm), as the pH2O field shows it.
    virtual double pH2O() const = 0;

    // The equipment operations of the window.
    virtual void SetValvePositions(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O) = 0;
    virtual TSerialResponse SetMFCFlow(std::uint32_t Address, double Flow) = 0;
    virtual void ReadTotalizers() = 0;
    virtual void ResetRetrieveTotalizers() = 0;
    // Where the flow controllers are, for routines that open their own
    // controller port for a run of frames.
    virtual MfcBus Controllers() const = 0;
};
