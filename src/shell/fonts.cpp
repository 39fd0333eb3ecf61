#include "fonts.h"

#include <QFontDatabase>
#include <QFontInfo>

QFont UiFont()
{
    // Tahoma first; then faces of similar width, so captions sized for
    // Tahoma still fit their places.
    for (const char* family : {"Tahoma", "Liberation Sans", "Arial"}) {
        QFont f{QString::fromLatin1(family)};
        f.setStyleHint(QFont::SansSerif);
        f.setPointSize(8);
        if (QFontInfo(f).family() == f.family())
            return f;
    }
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    return f;
}

QFont ReportFont()
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(8);
    if (QFontInfo(f).fixedPitch())
        return f;
    for (const char* family : {"Liberation Mono", "DejaVu Sans Mono", "Monospace"}) {
        QFont g{QString::fromLatin1(family)};
        g.setStyleHint(QFont::TypeWriter);
        g.setFixedPitch(true);
        g.setPointSize(8);
        if (QFontInfo(g).fixedPitch())
            return g;
    }
    QFont sys = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    sys.setPointSize(8);
    return sys;
}
