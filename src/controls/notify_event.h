#pragma once

#include <Qt>

#include <functional>

class QObject;

// A notification with the sending control as its argument.
using TNotifyEvent = std::function<void(QObject* Sender)>;
// A key released in a control: the key and the modifiers held.
using TKeyEvent = std::function<void(QObject* Sender, int Key, Qt::KeyboardModifiers Shift)>;
