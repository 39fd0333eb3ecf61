# Precompiled headers for the targets with many sources: Qt's and
# GoogleTest's headers are most of every compile. Off with
# -DDILUTRA_PRECOMPILED_HEADERS=OFF (then each file compiles on its own
# includes alone, which is also how a missing include shows).
option(DILUTRA_PRECOMPILED_HEADERS "Precompile the Qt and GoogleTest headers of the larger targets" ON)

set(DILUTRA_PCH_CORE
  <QByteArray> <QObject> <QString> <QStringList> <QVariant>
  <algorithm> <cstdint> <functional> <memory> <optional> <string> <vector>)
set(DILUTRA_PCH_WIDGETS ${DILUTRA_PCH_CORE}
  <QApplication> <QCheckBox> <QGroupBox> <QLabel> <QListWidget> <QPlainTextEdit> <QPushButton>
  <QTableView> <QTimer> <QWidget>)

# dilutra_precompile(<target> core|widgets [TEST])
function(dilutra_precompile target kind)
  if(NOT DILUTRA_PRECOMPILED_HEADERS)
    return()
  endif()
  if(kind STREQUAL "widgets")
    set(headers ${DILUTRA_PCH_WIDGETS})
  else()
    set(headers ${DILUTRA_PCH_CORE})
  endif()
  if(ARGC GREATER 2 AND ARGV2 STREQUAL "TEST")
    list(APPEND headers <gtest/gtest.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
