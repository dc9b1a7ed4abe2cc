#include "editors/shared/record_io.h"

#include "editors/shared/field_codec.h"

namespace korvane {

RecordValues readRecord(Module1::Operation &op, const RecordLayout &layout, qint64 recordStart) {
  const QByteArray bytes = op.readBytes(recordStart, layout.recordSize);
  // A refused read has failed the operation; its values are never shown.
  if (bytes.size() < layout.recordSize)
    return RecordValues(layout.fields.size(), 0);
  return recordValuesAt(bytes, layout);
}

quint32 readRecordField(Module1::Operation &op, const Field &field, qint64 recordStart) {
  const QByteArray bytes = op.readBytes(recordStart + field.offset, field.width);
  return bytes.size() < field.width ? 0 : littleEndianAt(bytes, field.width);
}

std::vector<EditSpan> recordSpans(const RecordLayout &layout, qint64 recordStart,
                                  const RecordValues &values, const RecordValues *seen) {
  std::vector<EditSpan> spans;
  spans.reserve(layout.fields.size());
  for (size_t i = 0; i < layout.fields.size(); ++i) {
    const Field &field = layout.fields[i];
    spans.push_back({recordStart + field.offset, littleEndianBytes(values[i], field.width),
                     seen ? littleEndianBytes((*seen)[i], field.width) : QByteArray()});
  }
  return spans;
}

RecordValues valuesAfterDrift(const RecordLayout &layout, RecordValues seen, const Drift &drift,
                              size_t firstSpan) {
  for (const DriftedSpan &span : drift)
    if (span.index >= firstSpan && span.index - firstSpan < layout.fields.size()) {
      const size_t field = span.index - firstSpan;
      seen[field] = littleEndianAt(span.now, layout.fields[field].width);
    }
  return seen;
}

} // namespace korvane
