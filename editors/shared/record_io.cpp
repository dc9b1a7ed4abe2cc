#include "editors/shared/record_io.h"

#include "editors/shared/field_text.h"

namespace korvane {

namespace {

quint32 readField(Module1::Operation &op, const Field &field) {
  if (field.hexAccess()) {
    const QString text = field.width == 1   ? op.ReadByteHex()
                         : field.width == 2 ? op.ReadWordHex()
                                            : op.ReadDwordHex();
    return fileOrderValue(text, field.width);
  }
  switch (field.width) {
  case 1:
    return op.ReadByte();
  case 2:
    return op.ReadWord();
  default:
    return quint32(op.ReadDword());
  }
}

void writeField(Module1::Operation &op, const Field &field, quint32 value) {
  if (field.hexAccess()) {
    const QString text = Module1::FileOrderHex(value, field.width);
    if (field.width == 1)
      op.WriteByteHex(text);
    else if (field.width == 2)
      op.WriteWordHex(text);
    else
      op.WriteDwordHex(text);
    return;
  }
  switch (field.width) {
  case 1:
    op.WriteByte(int(value));
    break;
  case 2:
    op.WriteWord(int(value));
    break;
  default:
    op.WriteDword(qint32(value));
  }
}

qint32 filePosOf(qint64 recordStart, const Field &field) {
  return qint32(recordStart + field.offset + 1);
}

} // namespace

RecordValues readRecord(Module1::Operation &op, const RecordLayout &layout, qint64 recordStart) {
  RecordValues values;
  values.reserve(layout.fields.size());
  for (const Field &field : layout.fields)
    values.push_back(readRecordField(op, field, recordStart));
  return values;
}

quint32 readRecordField(Module1::Operation &op, const Field &field, qint64 recordStart) {
  Module1::FilePos = filePosOf(recordStart, field);
  return readField(op, field);
}

void writeRecord(Module1::Operation &op, const RecordLayout &layout, qint64 recordStart,
                 const RecordValues &values) {
  for (size_t i = 0; i < layout.fields.size(); ++i)
    writeRecordField(op, layout.fields[i], recordStart, values[i]);
}

void writeRecordField(Module1::Operation &op, const Field &field, qint64 recordStart,
                      quint32 value) {
  Module1::FilePos = filePosOf(recordStart, field);
  writeField(op, field, value);
}

} // namespace korvane
