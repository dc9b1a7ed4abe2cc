#pragma once

// Reading and writing one described record through an open operation.

#include "editors/shared/record_layout.h"
#include "io/edit.h"
#include "io/module1.h"

namespace korvane {

// Reads every field of the record that starts at the 0-based `recordStart`, which
// must lie inside the file.
RecordValues readRecord(Module1::Operation &op, const RecordLayout &layout, qint64 recordStart);

// Reads one field of that record, which must lie inside the file.
quint32 readRecordField(Module1::Operation &op, const Field &field, qint64 recordStart);

// The spans an edit writes for the record at `recordStart`, one per field in
// offset order (bytes between the fields are not touched): `values` to write,
// and `seen`, when given, what the writer saw.
std::vector<EditSpan> recordSpans(const RecordLayout &layout, qint64 recordStart,
                                  const RecordValues &values, const RecordValues *seen);

// `seen` with the fields an edit of recordSpans found drifted replaced by what the
// file holds now; `firstSpan` is the index of the record's first span.
RecordValues valuesAfterDrift(const RecordLayout &layout, RecordValues seen, const Drift &drift,
                              size_t firstSpan = 0);

} // namespace korvane
