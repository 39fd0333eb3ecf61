#include "typed_length_limit.h"

QValidator::State TTypedLengthLimit::validate(QString& input, int& pos) const
{
    if (Limit <= 0 || Programmatic || input.size() <= Limit || input.size() <= Before.size())
        return Acceptable;

    // The edit kept a common head and tail of the text before it and put
    // something between them; keep as much of that as fits.
    qsizetype head = 0;
    while (head < Before.size() && head < input.size() && Before.at(head) == input.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < Before.size() - head && tail < input.size() - head
           && Before.at(Before.size() - 1 - tail) == input.at(input.size() - 1 - tail))
        ++tail;
    const qsizetype room = Limit - (head + tail);
    if (room <= 0)
        return Invalid;
    input = input.left(head) + input.mid(head, room) + input.right(tail);
    pos = static_cast<int>(head + room);
    return Acceptable;
}
