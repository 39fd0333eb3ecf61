#pragma once

#include <QFont>

// Tahoma 8 pt, or the system's sans-serif face at that size where Tahoma is missing.
QFont UiFont();
// Courier New 8 pt, or a fixed-pitch face at that size; always fixed-pitch,
// so column-aligned report lines stay aligned.
QFont ReportFont();
