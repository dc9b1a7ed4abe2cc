#pragma once

// The windows that show one whole area of SLPS_255.37 instead of a list of
// records: they read it when they load and write all of it on "保存".

#include "editors/shared/record_binder.h"

class QWidget;

namespace korvane {

// Reads the binder's one record from the executable into the window; false, after
// the message, when the file does not hold it or cannot be read.
bool showArea(QWidget *window, RecordBinder &binder);

// Writes every field back. `shown`: the load read the area; a window whose load
// was refused holds nothing of the file and its save writes nothing.
bool saveArea(QWidget *window, RecordBinder &binder, bool shown);

} // namespace korvane
