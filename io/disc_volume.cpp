#include "io/disc_volume.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>

namespace korvane {
namespace {

constexpr qint64 kSector = 2048;
constexpr qint64 kFirstDescriptorSector = 16;
// The volume descriptors and the UDF recognition area that follow them.
constexpr int kMaxDescriptorSectors = 64;
// Far beyond any game disc, and small enough that no image makes the walk slow.
constexpr qint64 kMaxFolderBytes = 16 << 20;
constexpr qint64 kMaxTreeBytes = 256 << 20;
constexpr qsizetype kMaxRecords = 1'000'000;

// ISO 9660 directory record fields.
constexpr int kRecordMinimum = 34; // 33 bytes and a name of at least one
constexpr quint8 kFolderFlag = 0x02;

// UDF descriptor tags.
constexpr quint16 kAnchorTag = 2;
constexpr quint16 kPartitionTag = 5;
constexpr quint16 kLogicalVolumeTag = 6;
constexpr quint16 kTerminatorTag = 8;
constexpr quint16 kFileSetTag = 256;
constexpr quint16 kFileIdentifierTag = 257;
constexpr quint16 kFileEntryTag = 261;
constexpr quint16 kExtendedFileEntryTag = 266;
constexpr qint64 kAnchorSector = 256;
constexpr int kUdfFolderType = 4;

quint16 le16(QByteArrayView bytes, qsizetype at) {
  return qFromLittleEndian<quint16>(bytes.data() + at);
}
quint32 le32(QByteArrayView bytes, qsizetype at) {
  return qFromLittleEndian<quint32>(bytes.data() + at);
}
quint64 le64(QByteArrayView bytes, qsizetype at) {
  return qFromLittleEndian<quint64>(bytes.data() + at);
}

// Exactly `length` bytes from `offset`, or nothing when they do not all lie in
// the image.
QByteArray readAt(QFile &image, qint64 offset, qint64 length) {
  if (offset < 0 || length < 0 || offset > image.size() || length > image.size() - offset ||
      !image.seek(offset))
    return {};
  QByteArray bytes = image.read(length);
  return bytes.size() == length ? bytes : QByteArray();
}

bool spanInImage(const ByteSpan &span, qint64 from, qint64 imageSize) {
  return span.start >= from && span.size >= 0 && span.start <= imageSize &&
         span.size <= imageSize - span.start;
}

// The Rock Ridge name (NM entries) in a record's system use area; empty when
// there is none. Entries that do not fit in the area end the search.
QString rockRidgeName(QByteArrayView area) {
  QByteArray name;
  qsizetype at = 0;
  while (at + 4 <= area.size()) {
    const int length = quint8(area[at + 2]);
    if (length < 4 || at + length > area.size())
      break;
    if (area.sliced(at, 2) == "NM" && length >= 5) {
      const quint8 flags = quint8(area[at + 4]);
      if (flags & 0x06) // the entry stands for "." or ".."
        return {};
      name += area.sliced(at + 5, length - 5).toByteArray();
      if (!(flags & 0x01)) // no continuation follows
        break;
    }
    at += length;
  }
  return QString::fromUtf8(name);
}

// A directory record, whose length its first byte gives and the caller checked.
struct Record {
  quint32 sector = 0;
  quint32 size = 0;
  quint8 flags = 0;
  quint8 unitSize = 0;
  quint8 interleaveGap = 0;
  quint8 attributeSectors = 0;
  QByteArrayView id;
  QByteArrayView systemUse;
};

bool parseRecord(QByteArrayView bytes, Record &record) {
  const qsizetype idLength = quint8(bytes[32]);
  if (bytes.size() < kRecordMinimum || idLength == 0 || 33 + idLength > bytes.size())
    return false;
  record.attributeSectors = quint8(bytes[1]);
  record.sector = le32(bytes, 2);
  record.size = le32(bytes, 10);
  record.flags = quint8(bytes[25]);
  record.unitSize = quint8(bytes[26]);
  record.interleaveGap = quint8(bytes[27]);
  record.id = bytes.sliced(33, idLength);
  const qsizetype useStart = 33 + idLength + (idLength % 2 == 0 ? 1 : 0);
  record.systemUse = useStart <= bytes.size() ? bytes.sliced(useStart) : QByteArrayView();
  return true;
}

bool isSelfOrParent(QByteArrayView id) { return id.size() == 1 && quint8(id[0]) <= 1; }

// Where the Rock Ridge entries start in each system use area, read from the
// root's "." record: -1 when the volume has none.
qsizetype rockRidgeSkip(const Record &self) {
  const QByteArrayView area = self.systemUse;
  if (area.size() >= 7 && area.first(2) == "SP" && quint8(area[2]) >= 7 &&
      quint8(area[4]) == 0xBE && quint8(area[5]) == 0xEF)
    return quint8(area[6]);
  return -1;
}

QString folderRecordsBroken(const QString &where) {
  return QStringLiteral("镜像里的文件夹 %1 的目录记录已损坏").arg(printableName(where));
}

// The end of the volume descriptors and the recognition area after them: the
// first sector whose standard identifier is none of theirs.
qint64 descriptorAreaEnd(QFile &image) {
  static const QByteArrayView kIdentifiers[] = {"CD001", "BEA01", "NSR02", "NSR03",
                                                "TEA01", "BOOT2", "CDW02"};
  qint64 sector = kFirstDescriptorSector;
  for (; sector < kFirstDescriptorSector + kMaxDescriptorSectors; ++sector) {
    const QByteArray head = readAt(image, sector * kSector, 6);
    if (head.size() != 6 || std::none_of(std::begin(kIdentifiers), std::end(kIdentifiers),
                                         [&](QByteArrayView id) { return head.sliced(1) == id; }))
      break;
  }
  return sector * kSector;
}

} // namespace

QString printableName(const QString &text, int maxLength) {
  QString shown;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    const bool control = u < 0x20 || (u >= 0x7F && u <= 0x9F) || (u >= 0x200B && u <= 0x200F) ||
                         (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
    shown += control ? QChar(QChar::ReplacementCharacter) : c;
  }
  if (shown.size() > maxLength)
    shown = shown.left(maxLength - 1) + QStringLiteral("…");
  return shown;
}

bool VolumeFile::isNamed(const QString &wanted) const {
  QString plain = isoName.section(u';', 0, 0);
  if (plain.endsWith(u'.'))
    plain.chop(1);
  return plain.compare(wanted, Qt::CaseInsensitive) == 0 ||
         name.compare(wanted, Qt::CaseInsensitive) == 0;
}

QString VolumeTree::pathOf(const VolumeFile &file) const {
  QStringList names{printableName(file.name)};
  for (int folder = file.folderIndex; folder > 0; folder = folders[folder].parent)
    names.prepend(printableName(folders[folder].name));
  return u'/' + names.join(u'/');
}

std::vector<ByteSpan> VolumeTree::recordsOf(const VolumeFile &file) const {
  std::vector<ByteSpan> spans;
  for (int folder = file.folderIndex; folder >= 0; folder = folders[folder].parent)
    spans.insert(spans.begin(), folders[folder].span);
  spans.insert(spans.begin(), ByteSpan{kFirstDescriptorSector * kSector, kSector});
  return spans;
}

VolumeTree readVolumeTree(QFile &image) {
  VolumeTree tree;
  const qint64 imageSize = image.size();
  const QByteArray primary = readAt(image, kFirstDescriptorSector * kSector, kSector);
  if (primary.size() != kSector || primary[0] != 1 || primary.sliced(1, 5) != "CD001") {
    tree.error = QStringLiteral("读不出镜像的 ISO 9660 主卷描述符");
    return tree;
  }
  if (le16(primary, 128) != kSector) {
    tree.error =
        QStringLiteral("镜像的逻辑块不是 2048 字节（卷上记着 %1 字节）").arg(le16(primary, 128));
    return tree;
  }
  tree.volumeBytes = qint64(le32(primary, 80)) * kSector;
  tree.firstDataByte = descriptorAreaEnd(image);

  Record root;
  if (quint8(primary[156]) < kRecordMinimum ||
      !parseRecord(QByteArrayView(primary).sliced(156, quint8(primary[156])), root) ||
      !(root.flags & kFolderFlag)) {
    tree.error = QStringLiteral("镜像的根文件夹记录已损坏");
    return tree;
  }
  tree.folders.append(
      {{(qint64(root.sector) + root.attributeSectors) * kSector, root.size}, {}, -1});

  QSet<qint64> visited{tree.folders.first().span.start};
  qsizetype rockRidge = -1;
  qint64 treeBytes = 0;
  qsizetype records = 0;
  // Folders are appended as they are found, each extent once: a tree whose
  // folders point back at each other is walked in as many steps as it has folders.
  for (int index = 0; index < tree.folders.size(); ++index) {
    const ByteSpan span = tree.folders[index].span;
    const QString where = index == 0 ? QStringLiteral("/") : tree.folders[index].name;
    if (!spanInImage(span, tree.firstDataByte, imageSize) || span.size > kMaxFolderBytes ||
        (treeBytes += span.size) > kMaxTreeBytes) {
      tree.error =
          QStringLiteral("镜像里的文件夹 %1 不在镜像的数据区里（从第 %2 字节起共 %3 字节）")
              .arg(printableName(where))
              .arg(span.start)
              .arg(span.size);
      return tree;
    }
    const QByteArray data = readAt(image, span.start, span.size);
    if (data.size() != span.size) {
      tree.error = QStringLiteral("读不出镜像里的文件夹 %1").arg(printableName(where));
      return tree;
    }
    for (qsizetype at = 0; at < data.size();) {
      // A record never crosses a sector's end; a zero length pads to the next.
      const qsizetype sectorEnd = std::min<qsizetype>((at / kSector + 1) * kSector, data.size());
      const int length = quint8(data[at]);
      if (length == 0) {
        at = sectorEnd;
        continue;
      }
      Record record;
      if (length > sectorEnd - at ||
          !parseRecord(QByteArrayView(data).sliced(at, length), record)) {
        tree.error = folderRecordsBroken(where);
        return tree;
      }
      at += length;
      if (++records > kMaxRecords) {
        tree.error = QStringLiteral("镜像里的目录记录超过 %1 条，不像是游戏光盘").arg(kMaxRecords);
        return tree;
      }
      if (isSelfOrParent(record.id)) {
        if (index == 0 && quint8(record.id[0]) == 0 && records == 1)
          rockRidge = rockRidgeSkip(record);
        continue;
      }
      const QString isoName = QString::fromLatin1(record.id);
      QString name;
      if (rockRidge >= 0 && rockRidge <= record.systemUse.size())
        name = rockRidgeName(record.systemUse.sliced(rockRidge));
      if (name.isEmpty())
        name = isoName;
      if (record.flags & kFolderFlag) {
        const qint64 start = (qint64(record.sector) + record.attributeSectors) * kSector;
        if (!visited.contains(start)) {
          visited.insert(start);
          tree.folders.append({{start, record.size}, name, index});
        }
        continue;
      }
      tree.files.append({name, isoName, record.sector, record.size, record.flags, record.unitSize,
                         record.interleaveGap, record.attributeSectors, index});
    }
  }
  return tree;
}

bool hasUdfVolume(QFile &image) {
  for (qint64 sector = kFirstDescriptorSector;
       sector < kFirstDescriptorSector + kMaxDescriptorSectors; ++sector) {
    const QByteArray head = readAt(image, sector * kSector, 6);
    if (head.size() != 6)
      return false;
    const QByteArrayView id = QByteArrayView(head).sliced(1);
    if (id == "NSR02" || id == "NSR03")
      return true;
    if (id != "CD001" && id != "BEA01" && id != "BOOT2" && id != "CDW02")
      return false;
  }
  return false;
}

namespace {

// A UDF descriptor whose tag has the identifier `id` and a matching checksum.
bool hasTag(QByteArrayView bytes, quint16 id) {
  if (bytes.size() < 16 || le16(bytes, 0) != id)
    return false;
  quint8 sum = 0;
  for (int i = 0; i < 16; ++i)
    if (i != 4)
      sum += quint8(bytes[i]);
  return sum == quint8(bytes[4]);
}

// A d-string of the file identifier: 8 bits or 16 bits (big-endian) a character.
QString udfName(QByteArrayView id) {
  if (id.isEmpty())
    return {};
  const QByteArrayView text = id.sliced(1);
  if (quint8(id[0]) == 16)
    return QStringDecoder(QStringDecoder::Utf16BE).decode(text);
  return QString::fromLatin1(text);
}

struct UdfReader {
  QFile &image;
  UdfFiles &found;
  qint64 partitionStart = 0; // in sectors
  quint32 partitionBlocks = 0;
  qint64 fileBytes = 0; // directory data read so far

  QString broken(const QString &what) const {
    return QStringLiteral("镜像的 UDF 目录已损坏（%1），无法确认它和 ISO 9660 目录指向同一份文件")
        .arg(what);
  }

  // One block of the partition, kept among the records read.
  QByteArray block(quint32 lbn) {
    if (lbn >= partitionBlocks)
      return {};
    const ByteSpan span{(partitionStart + lbn) * kSector, kSector};
    QByteArray bytes = readAt(image, span.start, span.size);
    if (!bytes.isEmpty())
      found.records.push_back(span);
    return bytes;
  }

  // The byte spans of the image that hold the data a file entry describes, in
  // order; `embedded` gets the data of an entry that holds it itself.
  bool dataOf(quint32 lbn, bool &folder, qint64 &size, std::vector<ByteSpan> &spans,
              QByteArray &embedded) {
    const QByteArray entry = block(lbn);
    const bool extended = hasTag(entry, kExtendedFileEntryTag);
    if (!extended && !hasTag(entry, kFileEntryTag)) {
      found.error = broken(QStringLiteral("文件项读不出"));
      return false;
    }
    folder = quint8(entry[27]) == kUdfFolderType;
    const quint64 length = le64(entry, 56);
    const qint64 headerEnd = extended ? 216 : 176;
    const quint64 attributes = le32(entry, extended ? 208 : 168);
    const quint64 descriptors = le32(entry, extended ? 212 : 172);
    if (length > quint64(std::numeric_limits<qint64>::max()) ||
        headerEnd + attributes + descriptors > quint64(entry.size())) {
      found.error = broken(QStringLiteral("文件项的长度不对"));
      return false;
    }
    size = qint64(length);
    const QByteArrayView area = QByteArrayView(entry).sliced(headerEnd + attributes, descriptors);
    const int kind = le16(entry, 34) & 0x07;
    if (kind == 3) {
      if (qint64(descriptors) < size) {
        found.error = broken(QStringLiteral("文件项的长度不对"));
        return false;
      }
      embedded = area.first(size).toByteArray();
      return true;
    }
    if (kind != 0 && kind != 1) {
      found.error = broken(QStringLiteral("不认识的分配描述符"));
      return false;
    }
    const int step = kind == 0 ? 8 : 16;
    qint64 covered = 0;
    for (qsizetype at = 0; at + step <= area.size() && covered < size; at += step) {
      const quint32 word = le32(area, at);
      const qint64 extent = word & 0x3FFFFFFF;
      const quint32 type = word >> 30;
      const quint32 position = le32(area, at + 4);
      if (extent == 0)
        break;
      if (type == 3 || (kind == 1 && le16(area, at + 8) != 0)) {
        found.error = broken(QStringLiteral("文件的分配描述符接续在别处或指向别的分区"));
        return false;
      }
      const qint64 sectors = (extent + kSector - 1) / kSector;
      // Unrecorded extents read as zeros: they lie nowhere in the image.
      const qint64 start =
          type == 0 && position < partitionBlocks && sectors <= partitionBlocks - position
              ? (partitionStart + position) * kSector
              : -1;
      if (type == 0 && start < 0) {
        found.error = broken(QStringLiteral("文件的数据超出了分区"));
        return false;
      }
      spans.push_back({start, std::min(extent, size - covered)});
      covered += spans.back().size;
    }
    if (covered != size) {
      found.error = broken(QStringLiteral("文件的分配描述符与文件长度不符"));
      return false;
    }
    return true;
  }

  // A folder's file identifier descriptors, read whole.
  QByteArray folderData(const std::vector<ByteSpan> &spans, const QByteArray &embedded,
                        qint64 size) {
    if (size > kMaxFolderBytes || (fileBytes += size) > kMaxTreeBytes) {
      found.error = broken(QStringLiteral("文件夹太大"));
      return {};
    }
    if (!embedded.isNull())
      return embedded;
    QByteArray data;
    for (const ByteSpan &span : spans) {
      const QByteArray part =
          span.start < 0 ? QByteArray(span.size, '\0') : readAt(image, span.start, span.size);
      if (part.size() != span.size) {
        found.error = broken(QStringLiteral("文件夹超出了镜像的末尾"));
        return {};
      }
      if (span.start >= 0)
        found.records.push_back(span);
      data += part;
    }
    return data;
  }

  bool readPartition(QByteArrayView logicalVolume, const QHash<quint16, ByteSpan> &partitions) {
    if (le32(logicalVolume, 212) != kSector) {
      found.error = broken(QStringLiteral("逻辑块不是 2048 字节"));
      return false;
    }
    // The file set lies in the first partition map's partition; only plain
    // (type 1) maps place blocks directly.
    const quint32 mapsLength = le32(logicalVolume, 264);
    if (le32(logicalVolume, 268) < 1 || mapsLength < 6 || mapsLength > kSector - 440 ||
        quint8(logicalVolume[440]) != 1 || quint8(logicalVolume[441]) != 6) {
      found.error = broken(QStringLiteral("分区映射不是普通分区"));
      return false;
    }
    const auto partition = partitions.constFind(le16(logicalVolume, 444));
    if (partition == partitions.cend()) {
      found.error = broken(QStringLiteral("找不到分区描述符"));
      return false;
    }
    partitionStart = partition->start;
    partitionBlocks = quint32(partition->size);
    return true;
  }

  void walk(const QString &name) {
    const QByteArray anchor = readAt(image, kAnchorSector * kSector, kSector);
    if (!hasTag(anchor, kAnchorTag)) {
      found.error = broken(QStringLiteral("第 256 扇区没有锚点描述符"));
      return;
    }
    found.records.push_back({kAnchorSector * kSector, kSector});
    const qint64 sequenceStart = le32(anchor, 20);
    const qint64 sequenceSectors =
        std::min<qint64>(le32(anchor, 16) / kSector, kMaxDescriptorSectors);
    QHash<quint16, ByteSpan> partitions; // number -> start and length, in sectors
    QByteArray logicalVolume;
    for (qint64 i = 0; i < sequenceSectors; ++i) {
      const QByteArray descriptor = readAt(image, (sequenceStart + i) * kSector, kSector);
      if (descriptor.isEmpty())
        break;
      found.records.push_back({(sequenceStart + i) * kSector, kSector});
      if (hasTag(descriptor, kPartitionTag))
        partitions.insert(le16(descriptor, 22), {le32(descriptor, 188), le32(descriptor, 192)});
      else if (hasTag(descriptor, kLogicalVolumeTag))
        logicalVolume = descriptor;
      else if (hasTag(descriptor, kTerminatorTag))
        break;
    }
    if (logicalVolume.isEmpty()) {
      found.error = broken(QStringLiteral("找不到逻辑卷描述符"));
      return;
    }
    if (!readPartition(logicalVolume, partitions))
      return;
    const QByteArray fileSet = block(le32(logicalVolume, 252));
    if (!hasTag(fileSet, kFileSetTag)) {
      found.error = broken(QStringLiteral("找不到文件集描述符"));
      return;
    }
    QList<quint32> folders{le32(fileSet, 404)};
    QSet<quint32> visited{folders.first()};
    qsizetype identifiers = 0;
    for (qsizetype index = 0; index < folders.size(); ++index) {
      bool folder = false;
      qint64 size = 0;
      std::vector<ByteSpan> spans;
      QByteArray embedded;
      if (!dataOf(folders[index], folder, size, spans, embedded))
        return;
      if (!folder) {
        found.error = broken(QStringLiteral("文件夹的文件项不是文件夹"));
        return;
      }
      const QByteArray data = folderData(spans, embedded, size);
      if (!found.ok())
        return;
      for (qsizetype at = 0; at + 38 <= data.size();) {
        const QByteArrayView fid = QByteArrayView(data).sliced(at);
        const int idLength = quint8(fid[19]);
        const int useLength = le16(fid, 36);
        if (!hasTag(fid, kFileIdentifierTag) || 38 + useLength + idLength > fid.size() ||
            ++identifiers > kMaxRecords) {
          found.error = broken(QStringLiteral("文件标识描述符已损坏"));
          return;
        }
        at += (38 + useLength + idLength + 3) & ~3;
        const quint8 characteristics = quint8(fid[18]);
        if (characteristics & 0x0C) // deleted, or the parent
          continue;
        const quint32 lbn = le32(fid, 24);
        if (characteristics & 0x02) {
          if (!visited.contains(lbn)) {
            visited.insert(lbn);
            folders.append(lbn);
          }
          continue;
        }
        if (udfName(fid.sliced(38 + useLength, idLength)).compare(name, Qt::CaseInsensitive) != 0)
          continue;
        bool isFolder = false;
        qint64 fileSize = 0;
        std::vector<ByteSpan> fileSpans;
        QByteArray fileEmbedded;
        if (!dataOf(lbn, isFolder, fileSize, fileSpans, fileEmbedded))
          return;
        if (!fileEmbedded.isNull())
          fileSpans = {{-1, fileSize}};
        found.extents.append(std::move(fileSpans));
        found.sizes.append(fileSize);
      }
    }
  }
};

} // namespace

UdfFiles findUdfFiles(QFile &image, const QString &name) {
  UdfFiles found;
  UdfReader{image, found}.walk(name);
  if (!found.ok()) {
    found.extents.clear();
    found.sizes.clear();
  }
  return found;
}

} // namespace korvane
