#pragma once

// Reading and writing one described record through an open operation.

#include "editors/shared/record_layout.h"
#include "io/module1.h"

namespace korvane {

// Reads every field of the record that starts at the 0-based `recordStart`, which
// must lie inside the file.
RecordValues readRecord(Module1::Operation &op, const RecordLayout &layout, qint64 recordStart);

// Writes every field in offset order; bytes between the fields are not touched.
void writeRecord(Module1::Operation &op, const RecordLayout &layout, qint64 recordStart,
                 const RecordValues &values);

// Reads one field of that record, which must lie inside the file.
quint32 readRecordField(Module1::Operation &op, const Field &field, qint64 recordStart);

// Writes one field of that record, the way writeRecord writes it.
void writeRecordField(Module1::Operation &op, const Field &field, qint64 recordStart,
                      quint32 value);

} // namespace korvane
