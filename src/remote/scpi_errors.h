#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

// The error numbers the command server reports: SCPI's own (negative) and
// the mixer's (positive: a request the water limits corrected).
namespace ScpiError {
inline constexpr int None = 0;
inline constexpr int Execution = -200;  // the core failed to carry the command out
inline constexpr int Syntax = -102;
inline constexpr int DataType = -104;
inline constexpr int ParameterNotAllowed = -108;
inline constexpr int MissingParameter = -109;
inline constexpr int UndefinedHeader = -113;
inline constexpr int SettingsConflict = -221;  // an action refused in the mixer's present state
inline constexpr int OutOfRange = -222;
inline constexpr int IllegalValue = -224;  // a word that is not one of the choices
inline constexpr int QueueOverflow = -350;
inline constexpr int InputOverrun = -363;
inline constexpr int WaterAboveMaximum = 101;  // the water was lowered to what the bubbler can carry
inline constexpr int WaterBelowMinimum = 102;  // the water was raised to what the pulses can resolve
}  // namespace ScpiError

// The text of an error number ("Syntax error", "Data out of range", ...).
std::string_view ScpiErrorText(int code);

// One error as a client reads it: the number, and the detail that follows
// the standard text after a semicolon (a positive error's detail is its
// whole text, the message the window shows).
struct TScpiError {
    int Code = ScpiError::None;
    std::string Detail;
};

// `<code>,"<text>"` with every double quote inside doubled.
std::string ScpiErrorReply(const TScpiError& error);

// A client's error queue: oldest first, at most Capacity errors. An error
// that arrives when it is full replaces the newest with "Queue overflow"
// (once); the rest are lost until the queue is read.
class TScpiErrorQueue {
public:
    static constexpr std::size_t Capacity = 20;

    void Push(TScpiError error);
    // The oldest error's reply, taken out; `0,"No error"` when empty.
    std::string Next();
    void Clear() { errors_.clear(); }
    std::size_t Size() const { return errors_.size(); }

private:
    std::deque<TScpiError> errors_;
};
