#include "edit_fixture.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace {

// A key as an X11 keyboard delivers it: Delete comes with the text 0x7F.
void PressX11(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

template <class Edit, class Value> void DeleteKeysEdit()
{
    EditHost<Edit, Value> h;
    h.edit->SetValue(12345);
    h.Enter();
    h.edit->setCursorPosition(1);
    PressX11(h.edit, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
    EXPECT_EQ(h.edit->text(), "1345");
    EXPECT_EQ(h.edit->Value(), Value(1345));

    h.edit->setSelection(1, 2);
    PressX11(h.edit, Qt::Key_Delete, Qt::ShiftModifier, QStringLiteral("\x7f"));
    EXPECT_EQ(h.edit->text(), "15") << "Shift+Delete cuts";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "34");
    EXPECT_EQ(h.beeps.count(), 0);
}

}  // namespace

TEST(EditKeys, TheX11DeleteKeyDeletesAndShiftDeleteCuts)
{
    {
        SCOPED_TRACE("integer field");
        DeleteKeysEdit<TRtIntegerEdit, int>();
    }
    {
        SCOPED_TRACE("floating-point field");
        DeleteKeysEdit<TRtDoubleEdit, double>();
    }
}
