// The entry fields' text conversions, time-span and date-time texts and the
// number and time pictures, with any text and any double, in a point and a
// comma locale: each gives a value, a text or its documented error.
#include "date_time_text.h"
#include "general_format.h"
#include "number_picture.h"
#include "number_text.h"
#include "fuzz_require.h"
#include "time_picture.h"
#include "time_span_text.h"

#include <QLocale>

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

namespace {

template <class F> void MayRefuse(F&& f)
{
    try {
        f();
    } catch (const EConvertError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    QLocale::setDefault(in.ConsumeBool() ? QLocale(QLocale::German, QLocale::Germany)
                                         : QLocale(QLocale::English, QLocale::UnitedStates));
    const double v = in.ConsumeFloatingPoint<double>();
    const int digits = in.ConsumeIntegralInRange(-5, 40);
    const int i = in.ConsumeIntegral<int>();
    const std::string picture = in.ConsumeRandomLengthString(40);
    const QString text = QString::fromUtf8(in.ConsumeRemainingBytesAsString());

    FUZZ_REQUIRE(IntegerFromText(QString::number(i)) == i);
    if (const auto f = FloatFromText(text))
        FUZZ_REQUIRE(std::isfinite(*f));
    (void)IntegerFromText(text);
    (void)RealToStrDigits(v, digits);
    (void)GeneralFormat(v, digits, digits % 6);

    MayRefuse([&] { (void)DoubleToTimeSpanStr(v); });
    MayRefuse([&] { (void)DoubleFomTimeSpanStr(text); });
    MayRefuse([&] { (void)DateTimeText(v); });
    MayRefuse([&] { (void)DateTimeFromText(text); });

    (void)TNumberPicture(picture).Format(v);
    (void)TNumberPicture(picture).Format(static_cast<long double>(v) * 1e300L);
    (void)TTimePicture(picture).Format(v);
    return 0;
}
