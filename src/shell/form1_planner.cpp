// The mixing plan: the mixer core plans from the request on the Operation
// page and the gases on the Setup page; the report goes into Memo4.
#include "form1.h"

#include "list_selection.h"
#include "mixer_host.h"
#include "rt_integer_edit.h"

#include <QListWidget>
#include <QPlainTextEdit>

void TForm1::Calculate()
{
    Mixer_->Calculate();
}

TMixRequest TForm1::MixRequest() const
{
    TMixRequest request;
    if (SelectedRow(ListBoxSetupGas1) >= 0 && SelectedRow(ListBoxSetupGas2) >= 0) {
        request.GasA = SelectedText(ListBoxSetupGas1);
        request.GasB = SelectedText(ListBoxSetupGas2);
    }
    request.a = RtIntegerEditGasAPPM->Value();
    request.b = RtIntegerEditGasBPPM->Value();
    request.w = RtIntegerEditH2Oppm->Value();
    return request;
}
