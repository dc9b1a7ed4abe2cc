#include "editors/catalog/table_catalog.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace korvane {

namespace {

// `changed` less every range of `named`; both sorted, `named` possibly overlapping.
std::vector<ByteRange> withoutNamed(const std::vector<ByteRange> &changed,
                                    std::vector<ByteRange> named) {
  std::sort(named.begin(), named.end(),
            [](const ByteRange &a, const ByteRange &b) { return a.start < b.start; });
  std::vector<ByteRange> left;
  size_t next = 0;
  for (ByteRange range : changed) {
    while (next < named.size() && named[next].end <= range.start)
      ++next;
    for (size_t i = next; i < named.size() && named[i].start < range.end; ++i) {
      if (named[i].start > range.start)
        left.push_back({range.start, named[i].start});
      range.start = std::max(range.start, named[i].end);
    }
    if (range.start < range.end)
      left.push_back(range);
  }
  return left;
}

} // namespace

const CatalogTable *findTable(const QString &key) {
  for (const CatalogTable &table : tableCatalog())
    if (table.key == key)
      return &table;
  return nullptr;
}

namespace {

// Equal stretches are skipped a block at a time: long blocks over the untouched
// parts of a whole file, short ones between nearby changes. The length of the
// equal block at the start of both, or 0.
qsizetype equalBlock(const char *a, const char *b, qsizetype left) {
  for (const qsizetype block : {qsizetype(4096), qsizetype(64)})
    if (block <= left && std::memcmp(a, b, size_t(block)) == 0)
      return block;
  return 0;
}

// Adds the ranges where the two spans differ to `ranges`, merging a range that
// goes on from the last one.
void appendChangedRanges(qint64 base, QByteArrayView before, QByteArrayView after,
                         std::vector<ByteRange> &ranges) {
  const qsizetype length = std::min(before.size(), after.size());
  const char *a = before.data();
  const char *b = after.data();
  qsizetype i = 0;
  while (i < length) {
    if (const qsizetype equal = equalBlock(a + i, b + i, length - i); equal > 0) {
      i += equal;
      continue;
    }
    if (a[i] == b[i]) {
      ++i;
      continue;
    }
    const qsizetype start = i;
    while (i < length && a[i] != b[i])
      ++i;
    if (!ranges.empty() && ranges.back().end == base + start)
      ranges.back().end = base + i;
    else
      ranges.push_back({base + start, base + i});
  }
}

} // namespace

std::vector<ByteRange> changedRanges(qint64 base, QByteArrayView before, QByteArrayView after) {
  std::vector<ByteRange> ranges;
  appendChangedRanges(base, before, after, ranges);
  return ranges;
}

namespace {

// std::lower_bound for a search that moves forward through sorted items in
// small steps: doubling steps from `from` find the stretch, a binary search the
// item. Costs the logarithm of the distance moved, not of the items.
template <class Iterator, class Key, class Less>
Iterator gallop(Iterator from, Iterator end, const Key &key, Less less) {
  qsizetype step = 1;
  while (end - from > step && less(*(from + step), key)) {
    from += step;
    step *= 2;
  }
  return std::lower_bound(from, end - from > step ? from + step + 1 : end, key, less);
}

} // namespace

RecordIndex::RecordIndex(GameFile file, ListRows &rows) {
  for (const CatalogTable &table : tableCatalog()) {
    if (table.file != file)
      continue;
    const std::vector<qint64> offsets = table.recordOffsets(rows);
    if (offsets.empty())
      continue;
    const qint64 size = table.layout->recordSize;
    const bool apartInOrder =
        std::adjacent_find(offsets.begin(), offsets.end(),
                           [size](qint64 a, qint64 b) { return b < a + size; }) == offsets.end();
    TableSlots laid{&table, 0, 0, {}, apartInOrder};
    laid.byStart.reserve(offsets.size());
    for (size_t index = 0; index < offsets.size(); ++index)
      laid.byStart.push_back({offsets[index], int(index)});
    std::sort(laid.byStart.begin(), laid.byStart.end(),
              [](const Slot &a, const Slot &b) { return a.start < b.start; });
    laid.extentStart = laid.byStart.front().start;
    laid.extentEnd = laid.byStart.back().start + table.layout->recordSize;
    tables_.push_back(std::move(laid));
  }
}

// The changed ranges are sorted, so each table is searched on from where the
// previous range left it; every record of a table is as long as the others, so
// one that starts a record's length before a range or earlier ends before it.
std::vector<RecordIndex::Record> RecordIndex::touched(const std::vector<ByteRange> &changed) const {
  std::vector<Record> records;
  if (changed.empty())
    return records;
  for (const TableSlots &table : tables_) {
    if (table.extentEnd <= changed.front().start || table.extentStart >= changed.back().end)
      continue;
    const qint64 size = table.table->layout->recordSize;
    const size_t first = records.size();
    auto from = table.byStart.begin();
    for (const ByteRange &range : changed) {
      from = gallop(from, table.byStart.end(), range.start - size + 1,
                    [](const Slot &candidate, qint64 offset) { return candidate.start < offset; });
      for (auto slot = from; slot != table.byStart.end() && slot->start < range.end; ++slot)
        records.push_back({table.table, slot->index, slot->start});
    }
    const auto byIndex = [](const Record &a, const Record &b) { return a.index < b.index; };
    if (!table.startsInListOrder)
      std::sort(records.begin() + qsizetype(first), records.end(), byIndex);
    records.erase(std::unique(records.begin() + qsizetype(first), records.end(),
                              [](const Record &a, const Record &b) { return a.index == b.index; }),
                  records.end());
  }
  return records;
}

namespace {

// The two versions of the spans of a change, read by file offset.
class SpanBytes {
public:
  explicit SpanBytes(const std::vector<ChangeSpan> &spans) : spans_(spans) {}

  qint64 begin() const { return spans_.front().start; }
  qint64 end() const { return spans_.back().start + spans_.back().before.size(); }

  // The little-endian values of the `width` bytes at `offset`, before and after.
  std::pair<quint32, quint32> values(qint64 offset, int width) const {
    const ChangeSpan *span = spanAt(offset);
    if (span && offset + width <= span->start + span->before.size())
      return {littleEndianAt(span->before.sliced(offset - span->start), width),
              littleEndianAt(span->after.sliced(offset - span->start), width)};
    quint32 old = 0;
    quint32 now = 0;
    for (int i = width - 1; i >= 0; --i) {
      const auto [was, is] = byteAt(offset + i);
      old = (old << 8) | was;
      now = (now << 8) | is;
    }
    return {old, now};
  }

  std::vector<ByteRange> changed() const {
    std::vector<ByteRange> ranges;
    for (const ChangeSpan &span : spans_)
      appendChangedRanges(span.start, span.before, span.after, ranges);
    return ranges;
  }

private:
  // The last span that starts at or before `offset`. Fields are mostly read in
  // file order, so the search goes on from the span found last.
  const ChangeSpan *spanAt(qint64 offset) const {
    const auto startsAfter = [](const ChangeSpan &span, qint64 at) { return span.start <= at; };
    const auto from = hint_ < spans_.size() && spans_[hint_].start <= offset
                          ? spans_.begin() + qsizetype(hint_)
                          : spans_.begin();
    const auto after = gallop(from, spans_.end(), offset, startsAfter);
    if (after == spans_.begin())
      return nullptr;
    hint_ = size_t(after - spans_.begin()) - 1;
    return &spans_[hint_];
  }

  std::pair<quint8, quint8> byteAt(qint64 offset) const {
    const ChangeSpan *span = spanAt(offset);
    if (!span || offset >= span->start + span->before.size())
      return {0, 0};
    return {quint8(span->before[offset - span->start]), quint8(span->after[offset - span->start])};
  }

  const std::vector<ChangeSpan> &spans_;
  mutable size_t hint_ = 0;
};

constexpr int kWidestField = 4;

// Calls `visit(record, field, fieldStart, old, now)` for each field of a touched
// record that holds a changed byte and lies within the spans; `visit` returns
// false to pass over the rest of that record. Fields are in offset order and at
// most four bytes wide, so each changed range finds its first field by binary
// search and the walk costs in proportion to the changed fields.
template <class Visit>
void forEachChangedField(const RecordIndex &index, const SpanBytes &bytes,
                         const std::vector<ByteRange> &changed, Visit visit) {
  auto firstRange = changed.begin(); // of the record before: records mostly come in file order
  qint64 lastStart = std::numeric_limits<qint64>::max();
  for (const RecordIndex::Record &record : index.touched(changed)) {
    const std::vector<Field> &fields = record.table->layout->fields;
    const qint64 recordEnd = record.start + record.table->layout->recordSize;
    if (record.start < lastStart)
      firstRange = changed.begin();
    lastStart = record.start;
    firstRange =
        gallop(firstRange, changed.end(), record.start,
               [](const ByteRange &candidate, qint64 offset) { return candidate.end <= offset; });
    auto range = firstRange;
    auto field = fields.begin();
    bool goOn = true;
    for (; goOn && range != changed.end() && range->start < recordEnd; ++range) {
      field = std::lower_bound(
          field, fields.end(), range->start - record.start - kWidestField + 1,
          [](const Field &candidate, qint64 offset) { return candidate.offset < offset; });
      for (; goOn && field != fields.end() && record.start + field->offset < range->end; ++field) {
        const qint64 start = record.start + field->offset;
        if (start + field->width <= range->start || start < bytes.begin() ||
            start + field->width > bytes.end())
          continue;
        const auto [old, now] = bytes.values(start, field->width);
        goOn = visit(record, *field, start, old, now);
      }
    }
  }
}

// The bits of the stored field value that `part` shows.
quint32 partBitsMask(const FieldPart &part, const Field &field) {
  return withPartValue(part, field, 0, 0xFFFFFFFFu);
}

QString byteText(quint32 value) {
  return QStringLiteral("0x") + QString::number(value & 0xFF, 16).rightJustified(2, u'0').toUpper();
}

// Whether `part` shows the two stored values differently. Numbers and hex show
// every value differently, so only lists need their texts compared.
bool showsChange(const FieldPart &part, const Field &field, quint32 old, quint32 now,
                 ListRows &rows) {
  const quint32 was = partValue(part, field, old);
  const quint32 is = partValue(part, field, now);
  if (was == is)
    return false;
  switch (part.encoding) {
  case Encoding::Decimal:
  case Encoding::SignedDecimal:
  case Encoding::SignedRewrittenOnSave:
  case Encoding::Hex:
    return true;
  case Encoding::Flag:
    return ((was ^ is) & 1) != 0;
  default:
    return partValueText(part, field, old, rows) != partValueText(part, field, now, rows);
  }
}

} // namespace

QString changeCaption(const FieldChange &change) {
  if (change.part)
    return change.part->caption;
  return QStringLiteral("未显示的位（偏移 +%1）").arg(change.fieldOffset - change.recordStart);
}

std::vector<ByteRange> describeChanges(const RecordIndex &index,
                                       const std::vector<ChangeSpan> &spans, ListRows &rows,
                                       const std::function<void(FieldChange &&)> &onField) {
  if (spans.empty())
    return {};
  const SpanBytes bytes(spans);
  const std::vector<ByteRange> changed = bytes.changed();
  if (changed.empty())
    return {};
  std::vector<ByteRange> named;
  const CatalogTable *namedTable = nullptr;
  int namedRecord = -1;
  QString recordName;
  forEachChangedField(
      index, bytes, changed,
      [&](const RecordIndex::Record &record, const Field &field, qint64 start, quint32 old,
          quint32 now) {
        named.push_back({start, start + field.width});
        const auto report = [&](const FieldPart *part, qint64 at, QString was, QString is) {
          if (namedTable != record.table || namedRecord != record.index) {
            namedTable = record.table;
            namedRecord = record.index;
            recordName = record.table->recordName(record.index, rows);
          }
          onField({record.table, record.index, recordName, &field, part, at, std::move(was),
                   std::move(is), record.start});
        };
        quint32 shown = 0;
        for (const FieldPart &part : field.parts) {
          QString oldText = partValueText(part, field, old, rows);
          QString newText = partValueText(part, field, now, rows);
          if (oldText == newText)
            continue;
          shown |= partBitsMask(part, field);
          report(&part, start, std::move(oldText), std::move(newText));
        }
        // Every changed byte is told: what no part showed, byte by byte.
        const quint32 unshown = (old ^ now) & ~shown;
        for (int byte = 0; byte < field.width; ++byte)
          if ((unshown >> (8 * byte)) & 0xFF)
            report(nullptr, start + byte, byteText(old >> (8 * byte)), byteText(now >> (8 * byte)));
        return true;
      });
  return withoutNamed(changed, std::move(named));
}

void changedRecords(const RecordIndex &index, const std::vector<ChangeSpan> &spans, ListRows &rows,
                    const std::function<void(const CatalogTable &, int index)> &onRecord) {
  if (spans.empty())
    return;
  const SpanBytes bytes(spans);
  const std::vector<ByteRange> changed = bytes.changed();
  forEachChangedField(
      index, bytes, changed,
      [&](const RecordIndex::Record &record, const Field &field, qint64, quint32 old, quint32 now) {
        quint32 parts = 0;
        for (const FieldPart &part : field.parts) {
          parts |= partBitsMask(part, field);
          if (showsChange(part, field, old, now, rows)) {
            onRecord(*record.table, record.index);
            return false;
          }
        }
        if ((old ^ now) & ~parts) { // bits beside the parts
          onRecord(*record.table, record.index);
          return false;
        }
        return true;
      });
}

ChangeList describeChanges(GameFile file, qint64 base, QByteArrayView before, QByteArrayView after,
                           ListRows &rows) {
  const qsizetype length = std::min(before.size(), after.size());
  ChangeList result;
  result.unnamed = describeChanges(
      RecordIndex(file, rows), {{base, before.first(length), after.first(length)}}, rows,
      [&result](FieldChange &&change) { result.fields.push_back(std::move(change)); });
  return result;
}

} // namespace korvane
