#include "scpi_errors.h"

#include "scpi_reply.h"

std::string_view ScpiErrorText(int code)
{
    switch (code) {
    case ScpiError::None: return "No error";
    case ScpiError::Execution: return "Execution error";
    case ScpiError::Syntax: return "Syntax error";
    case ScpiError::DataType: return "Data type error";
    case ScpiError::ParameterNotAllowed: return "Parameter not allowed";
    case ScpiError::MissingParameter: return "Missing parameter";
    case ScpiError::UndefinedHeader: return "Undefined header";
    case ScpiError::SettingsConflict: return "Settings conflict";
    case ScpiError::OutOfRange: return "Data out of range";
    case ScpiError::IllegalValue: return "Illegal parameter value";
    case ScpiError::QueueOverflow: return "Queue overflow";
    case ScpiError::InputOverrun: return "Input buffer overrun";
    default: return "";
    }
}

std::string ScpiErrorReply(const TScpiError& error)
{
    std::string text(ScpiErrorText(error.Code));
    if (!error.Detail.empty())
        text += text.empty() ? error.Detail : ";" + error.Detail;
    return std::to_string(error.Code) + "," + ScpiQuoted(text);
}

void TScpiErrorQueue::Push(TScpiError error)
{
    if (errors_.size() < Capacity) {
        errors_.push_back(std::move(error));
        return;
    }
    if (errors_.back().Code != ScpiError::QueueOverflow)
        errors_.back() = TScpiError{ScpiError::QueueOverflow, {}};
}

std::string TScpiErrorQueue::Next()
{
    if (errors_.empty())
        return ScpiErrorReply({});
    const std::string reply = ScpiErrorReply(errors_.front());
    errors_.pop_front();
    return reply;
}
