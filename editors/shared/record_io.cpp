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

void writeRecord(Module1::Operation &op, const RecordLayout &layout, qint64 recordStart,
                 const RecordValues &values) {
  for (size_t i = 0; i < layout.fields.size(); ++i)
    writeRecordField(op, layout.fields[i], recordStart, values[i]);
}

quint32 readRecordField(Module1::Operation &op, const Field &field, qint64 recordStart) {
  const QByteArray bytes = op.readBytes(recordStart + field.offset, field.width);
  return bytes.size() < field.width ? 0 : littleEndianAt(bytes, field.width);
}

void writeRecordField(Module1::Operation &op, const Field &field, qint64 recordStart,
                      quint32 value) {
  op.writeBytes(recordStart + field.offset, littleEndianBytes(value, field.width));
}

} // namespace korvane
