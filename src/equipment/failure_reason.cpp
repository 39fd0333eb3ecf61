#include "failure_reason.h"

#include "mfc_services.h"
#include "modbus_frame.h"
#include "serial_port.h"

namespace {

// Statuses of a reply that was missing or could not be used, in plain words.
struct TPlainWords {
    const char* Status;
    const char* Words;
};
constexpr TPlainWords ReplyFailures[] = {
    {StatusNoResult, "no reply"},
    {StatusTimeout, "no reply"},
    {StatusChecksumError, "corrupted reply"},
    {StatusWrongAmount, "reply of the wrong length"},
    {StatusWrongDevice, "reply from another address"},
    {StatusUnexpectedFunction, "reply to another request"},
    {StatusEchoMismatch, "reply does not match the command"},
    {": no reply", "no reply"},
};

// Where a status's own reason begins, after whatever names the device and
// the command: the port's failures and the devices' answers keep their text
// from there on.
constexpr const char* ReasonBeginnings[] = {
    "No such port: ", "Permission denied on ", StatusPortInUse,   StatusWriteFailed, StatusReadFailed, "exception ",
    "answered ",      StatusInvalidReading,    "it meters with ",
};

}  // namespace

std::string PlainReason(const std::string& status)
{
    for (const TPlainWords& known : ReplyFailures) {
        if (status.find(known.Status) != std::string::npos)
            return known.Words;
    }
    if (const std::size_t vanished = status.find(" vanished while open"); vanished != std::string::npos) {
        const std::size_t port = status.rfind("Port ", vanished);
        return port == std::string::npos ? status : status.substr(port);
    }
    for (const char* beginning : ReasonBeginnings) {
        if (const std::size_t at = status.find(beginning); at != std::string::npos)
            return status.substr(at);
    }
    return status;
}
