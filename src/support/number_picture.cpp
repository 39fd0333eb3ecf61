#include "number_picture.h"

#include <charconv>
#include <cmath>

namespace {

// Digits of |value| rounded to `decimals` places, exact halves away from
// zero. std::to_chars rounds the exact binary value correctly, but an exact
// half goes to the even neighbour; that case is detected and carried up.
template <class F> std::string RoundedDigits(F magnitude, int decimals)
{
    // Enough for any double in fixed notation; long double values this large
    // are not logged or reported, and to_chars reports the overflow.
    char buf[5000];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return "OVERFLOW";
    std::string digits(buf, end);

    // A tie needs a value with at most decimals+1 binary fraction digits
    // whose decimal expansion ends in 5 at place decimals+1.
    const F scaled = std::ldexp(magnitude, decimals + 1);
    if (scaled < F(1e30) && std::trunc(scaled) == scaled) {
        auto [end2, ec2] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, decimals + 1);
        if (ec2 == std::errc() && end2[-1] == '5') {
            std::string exact(buf, end2 - 1);  // truncated at `decimals`
            if (decimals == 0 && !exact.empty() && exact.back() == '.')
                exact.pop_back();
            // Add one unit in the last place.
            int i = static_cast<int>(exact.size()) - 1;
            for (; i >= 0; --i) {
                if (exact[i] == '.')
                    continue;
                if (exact[i] == '9') {
                    exact[i] = '0';
                } else {
                    ++exact[i];
                    break;
                }
            }
            if (i < 0)
                exact.insert(exact.begin(), '1');
            digits = exact;
        }
    }
    return digits;
}

}  // namespace

TNumberPicture::TNumberPicture(std::string_view picture)
{
    const auto point = picture.find('.');
    if (point == std::string_view::npos) {
        intPicture_ = std::string(picture);
    } else {
        hasPoint_ = true;
        intPicture_ = std::string(picture.substr(0, point));
        for (char c : picture.substr(point + 1)) {
            if (c != '.')
                fracPicture_ += c;
        }
    }
    for (char c : intPicture_)
        intZeros_ += c == '0';
    for (char c : fracPicture_)
        decimals_ += c == '0';
}

void TNumberPicture::AppendTo(std::string& out, double value, std::string_view decimalPoint) const
{
    AppendImpl(out, value, decimalPoint);
}

void TNumberPicture::AppendTo(std::string& out, long double value, std::string_view decimalPoint) const
{
    AppendImpl(out, value, decimalPoint);
}

template <class F> void TNumberPicture::AppendImpl(std::string& out, F value, std::string_view decimalPoint) const
{
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    const std::string digits = RoundedDigits(std::fabs(value), decimals_);
    const auto point = digits.find('.');
    const std::string_view all(digits);
    const std::string_view intDigits = all.substr(0, point);
    const std::string_view fracDigits = point == std::string_view::npos ? std::string_view() : all.substr(point + 1);

    bool allZero = true;
    for (char c : digits) {
        if (c >= '1' && c <= '9') {
            allZero = false;
            break;
        }
    }
    Lay(out, value < 0 && !allZero, intDigits, fracDigits, decimalPoint);
}

void TNumberPicture::Lay(std::string& out, bool negative, std::string_view intDigits, std::string_view fracDigits,
                         std::string_view decimalPoint) const
{
    if (negative)
        out += '-';

    // Integer part: the digits right-aligned on the picture's '0's, padded
    // with zeros; digits beyond the picture go before its first '0', or right
    // before the separator when the picture has no integer '0' at all.
    if (intDigits.size() == 1 && intDigits[0] == '0' && intZeros_ == 0) {
        intDigits = {};
    }
    const int have = static_cast<int>(intDigits.size());
    const int extra = have > intZeros_ ? have - intZeros_ : 0;
    const int pad = intZeros_ > have ? intZeros_ - have : 0;
    int placeholder = 0;  // index among the picture's '0's
    int next = extra;     // next digit of intDigits to print
    for (char c : intPicture_) {
        if (c != '0') {
            out += c;
            continue;
        }
        if (placeholder == 0)
            out.append(intDigits.substr(0, extra));
        if (placeholder < pad)
            out += '0';
        else
            out += intDigits[next++];
        ++placeholder;
    }
    if (intZeros_ == 0)
        out.append(intDigits);

    if (!hasPoint_)
        return;
    if (decimals_ > 0)
        out.append(decimalPoint);
    std::size_t d = 0;
    for (char c : fracPicture_) {
        if (c == '0')
            out += d < fracDigits.size() ? fracDigits[d++] : '0';
        else
            out += c;
    }
}

QString TNumberPicture::Format(double value, const QLocale& locale) const
{
    const QByteArray point = locale.decimalPoint().toUtf8();
    std::string out;
    AppendTo(out, value, std::string_view(point.constData(), point.size()));
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

QString TNumberPicture::Format(long double value, const QLocale& locale) const
{
    const QByteArray point = locale.decimalPoint().toUtf8();
    std::string out;
    AppendTo(out, value, std::string_view(point.constData(), point.size()));
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

QString FormatFloat(const QString& picture, double value)
{
    return TNumberPicture(picture.toStdString()).Format(value);
}

QString FormatFloat(const QString& picture, long double value)
{
    return TNumberPicture(picture.toStdString()).Format(value);
}

QString FormatFloat(const QString& picture, float value)
{
    return TNumberPicture(picture.toStdString()).Format(static_cast<double>(value));
}
