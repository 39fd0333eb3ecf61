#pragma once

#include "planner.h"

#include <QString>
#include <QStringList>

// The plan report, line by line: the request, the mixture by partial
// pressure and by mass, the mass relation of the two gases, both
// controllers, the flow limits and the conclusion. Numbers use the process
// locale's decimal separator.
QStringList PlanReportLines(const TPlanResult& plan);

// The report as the memo holds it: every line followed by CR LF.
QString PlanReportText(const TPlanResult& plan);
