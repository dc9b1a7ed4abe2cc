#include "io/disc_image.h"

#include "io/disc_volume.h"
#include "io/regular_file.h"
#include "io/system_errors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <memory>

namespace korvane {
namespace {

constexpr qint64 kSectorSize = 2048;
constexpr qint64 kRawSectorSize = 2352;
constexpr qint64 kVolumeDescriptorSector = 16;
// Mode 1 and mode 2 raw sectors put the user data after 16 or 24 header bytes.
constexpr qint64 kRawDataOffsets[] = {16, 24};
// The missing-file message names this many of the files that were found.
constexpr int kListedFiles = 12;

const QString kAccepted = QStringLiteral("只接受每扇区 2048 字节的 ISO 9660 光盘镜像（.iso）");

// The first bytes of the compressed and archived forms players keep images in.
const QList<QByteArray> &compressedMagics() {
  static const QList<QByteArray> magics = [] {
    QList<QByteArray> list;
    for (const char *hex : {"1F8B",             // gzip
                            "377ABCAF271C",     // 7z
                            "FD377A585A00",     // xz
                            "425A68",           // bzip2
                            "504B0304",         // zip
                            "526172211A07",     // rar
                            "28B52FFD",         // zstd
                            "04224D18",         // lz4
                            "4349534F",         // CISO
                            "5A49534F",         // ZISO
                            "4A49534F",         // JISO
                            "44415800",         // DAX
                            "4D436F6D70724844", // CHD
                            "45434D00",         // ECM
                            "00504250"})        // PBP
      list.append(QByteArray::fromHex(hex));
    return list;
  }();
  return magics;
}

const QByteArray &rawSync() {
  static const QByteArray sync = QByteArray::fromHex("00FFFFFFFFFFFFFFFFFFFF00");
  return sync;
}

const QSet<QString> kCompressedSuffixes{"cso", "zso", "jso", "chd", "gz",  "tgz",
                                        "7z",  "xz",  "bz2", "zip", "rar", "zst",
                                        "lz4", "dax", "ecm", "pbp", "cbn"};
const QSet<QString> kCueSheetSuffixes{"cue", "ccd", "mds", "toc"};
const QSet<QString> kImageSuffixes{"iso", "img", "mdf", "nrg"};

QByteArray bytesAt(QFile &file, qint64 offset, qint64 length) {
  if (!file.seek(offset))
    return {};
  return file.read(length);
}

bool holdsVolumeAt(QFile &file, qint64 offset) { return bytesAt(file, offset + 1, 5) == "CD001"; }

ImageFormat formatByContent(QFile &file) {
  const QByteArray head = bytesAt(file, 0, 16);
  for (const QByteArray &magic : compressedMagics())
    if (head.startsWith(magic))
      return ImageFormat::Compressed;
  if (head.startsWith(rawSync()))
    return ImageFormat::RawSectors;
  if (holdsVolumeAt(file, kVolumeDescriptorSector * kSectorSize))
    return ImageFormat::Iso;
  if (hasUdfVolume(file))
    return ImageFormat::UdfOnly;
  for (qint64 dataOffset : kRawDataOffsets)
    if (holdsVolumeAt(file, kVolumeDescriptorSector * kRawSectorSize + dataOffset))
      return ImageFormat::RawSectors;
  return ImageFormat::NotAnImage;
}

ImageFormat formatByName(const QString &path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (kCompressedSuffixes.contains(suffix))
    return ImageFormat::Compressed;
  if (kCueSheetSuffixes.contains(suffix))
    return ImageFormat::CueSheet;
  if (kImageSuffixes.contains(suffix))
    return ImageFormat::NoVolume;
  return ImageFormat::NotAnImage;
}

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

QString refusalFor(ImageFormat format, const QString &path) {
  switch (format) {
  case ImageFormat::Iso:
    return {};
  case ImageFormat::RawSectors:
    return QStringLiteral(
               "%1 是每扇区 2352 字节的原始光盘镜像（.bin/.cue、.img 之类），不能直接修改。"
               "%2；请先用光盘镜像工具把它转换成 .iso。")
        .arg(shown(path), kAccepted);
  case ImageFormat::CueSheet:
    return QStringLiteral("%1 是光盘镜像的描述文件（.cue 之类），不是镜像本身。%2。")
        .arg(shown(path), kAccepted);
  case ImageFormat::Compressed:
    return QStringLiteral("%1 是压缩的光盘镜像（.cso、.chd、.gz、.7z 之类），不能直接修改。"
                          "%2；请先把它解压成 .iso。")
        .arg(shown(path), kAccepted);
  case ImageFormat::UdfOnly:
    return QStringLiteral("%1 是只有 UDF 目录、没有 ISO 9660 目录的光盘镜像，不能直接修改。%2"
                          "（可以带 UDF）；请先把 SLPS_255.37 和 stage.bin 从镜像里复制出来，"
                          "再分别打开。")
        .arg(shown(path), kAccepted);
  case ImageFormat::NoVolume:
  case ImageFormat::NotAnImage:
    break;
  }
  return QStringLiteral("读不出 %1 的 ISO 9660 卷描述符。%2。").arg(shown(path), kAccepted);
}

QString listedPaths(const VolumeTree &tree, const QList<const VolumeFile *> &files) {
  QStringList paths;
  for (const VolumeFile *file : files.first(std::min<qsizetype>(files.size(), kListedFiles)))
    paths.append(tree.pathOf(*file));
  QString text = paths.join(QStringLiteral("、"));
  if (files.size() > kListedFiles)
    text += QStringLiteral(" 等共 %1 个").arg(files.size());
  return text;
}

QString missingEntry(const QString &imagePath, const QString &fileName, const VolumeTree &tree) {
  QList<const VolumeFile *> files;
  for (const VolumeFile &file :
       tree.files.first(std::min<qsizetype>(tree.files.size(), kListedFiles)))
    files.append(&file);
  QString found = files.isEmpty()
                      ? QStringLiteral("镜像里没有任何文件")
                      : QStringLiteral("镜像里的文件：%1").arg(listedPaths(tree, files));
  if (tree.files.size() > kListedFiles)
    found += QStringLiteral(" 等共 %1 个").arg(tree.files.size());
  return QStringLiteral("光盘镜像 %1 里找不到 %2（%3）。").arg(shown(imagePath), fileName, found);
}

QString repeatedEntry(const QString &imagePath, const QString &fileName, const VolumeTree &tree,
                      const QList<const VolumeFile *> &matches) {
  // One folder cannot hold a name twice: these are the extents of one file.
  const QString first = tree.pathOf(*matches.first());
  const bool oneFolder = std::all_of(matches.begin(), matches.end(), [&](const VolumeFile *file) {
    return file->folderIndex == matches.first()->folderIndex && tree.pathOf(*file) == first;
  });
  if (oneFolder)
    return QStringLiteral(
               "光盘镜像 %1 里的 %2 分成了 %3 段存放，不能直接修改；只接受连续存放在一处的文件。")
        .arg(shown(imagePath), first)
        .arg(matches.size());
  return QStringLiteral("光盘镜像 %1 里有 %2 个 %3：%4。只接受恰好含一个 %3 的镜像。")
      .arg(shown(imagePath))
      .arg(matches.size())
      .arg(fileName, listedPaths(tree, matches));
}

// Why the file's record does not describe plain contiguous bytes; empty when it does.
QString unusualRecord(const VolumeFile &file) {
  if (file.flags & kMultiExtentFlag)
    return QStringLiteral("标着“分成多段存放”");
  if (file.flags & kAssociatedFileFlag)
    return QStringLiteral("是一个关联文件（associated file），不是文件本身");
  if (file.unitSize != 0 || file.interleaveGap != 0)
    return QStringLiteral("是交错存放的（每 %1 个扇区隔 %2 个扇区）")
        .arg(file.unitSize)
        .arg(file.interleaveGap);
  if (file.attributeSectors != 0)
    return QStringLiteral("前面带有扩展属性记录");
  return {};
}

// True when the UDF file's data is exactly the ISO 9660 entry's bytes.
bool sameBytes(const std::vector<ByteSpan> &spans, qint64 size, const ImageEntry &entry) {
  if (size != entry.size)
    return false;
  qint64 next = entry.start;
  for (const ByteSpan &span : spans) {
    if (span.start != next)
      return false;
    next += span.size;
  }
  return true;
}

// xorriso's MD5 records (-md5 on) start sectors just after the volume
// descriptors: "libisofs_sb_checksum_tag_v1 pos=…" and its kin.
bool hasChecksumTags(QFile &image) {
  constexpr qint64 kSearchedSectors = 64;
  for (qint64 sector = kVolumeDescriptorSector + 1;
       sector <= kVolumeDescriptorSector + kSearchedSectors; ++sector) {
    const QByteArray head = bytesAt(image, sector * kSectorSize, 40);
    if (head.startsWith("libisofs_") && head.contains("checksum_tag_v1"))
      return true;
  }
  return false;
}

// The lookup and the bytes of the image it read its answer from.
struct Lookup {
  ImageEntryResult result;
  std::vector<ByteSpan> records;
};

Lookup refused(QString error) { return {{{}, std::move(error)}, {}}; }

// A UDF tree of the image must not hold its own copy of the file: a program that
// reads the UDF tree (7-Zip does by default) would not see the edit.
QString udfDisagreement(QFile &image, const QString &imagePath, const ImageEntry &entry,
                        std::vector<ByteSpan> &records) {
  const UdfFiles udf = findUdfFiles(image, entry.name);
  if (!udf.ok())
    return QStringLiteral("光盘镜像 %1 不能直接修改：%2。").arg(shown(imagePath), udf.error);
  records.insert(records.end(), udf.records.begin(), udf.records.end());
  for (qsizetype i = 0; i < udf.extents.size(); ++i)
    if (!sameBytes(udf.extents[i], udf.sizes[i], entry))
      return QStringLiteral("光盘镜像 %1 的 UDF 目录里的 %2 是另一份数据，和 ISO 9660 目录里的 %3 "
                            "不在同一处（从第 %4 字节起）。只改 ISO 9660 里的一份，读 UDF 的程序"
                            "（例如 7-Zip）仍会看到原来的内容，所以不能直接修改；请用只含一份 %2 "
                            "的镜像。")
          .arg(shown(imagePath), entry.name, entry.isoPath)
          .arg(entry.start);
  return {};
}

Lookup lookUp(QFile &image, const QString &imagePath, const QString &fileName) {
  const ImageFormat format = formatByContent(image);
  if (format != ImageFormat::Iso)
    return refused(refusalFor(format == ImageFormat::NotAnImage ? formatByName(imagePath) : format,
                              imagePath));
  const VolumeTree tree = readVolumeTree(image);
  if (!tree.ok())
    return refused(QStringLiteral("光盘镜像 %1 不能直接修改：%2。%3。")
                       .arg(shown(imagePath), tree.error, kAccepted));
  if (tree.volumeBytes > image.size())
    return refused(
        QStringLiteral("光盘镜像 %1 不完整：卷上记着 %2 字节，文件只有 %3 字节。请换用完整的镜像。")
            .arg(shown(imagePath))
            .arg(tree.volumeBytes)
            .arg(image.size()));

  QList<const VolumeFile *> matches;
  for (const VolumeFile &file : tree.files)
    if (file.isNamed(fileName))
      matches.append(&file);
  if (matches.isEmpty())
    return refused(missingEntry(imagePath, fileName, tree));
  if (matches.size() > 1)
    return refused(repeatedEntry(imagePath, fileName, tree, matches));

  const VolumeFile &found = *matches.first();
  const QString isoPath = tree.pathOf(found);
  if (const QString why = unusualRecord(found); !why.isEmpty())
    return refused(
        QStringLiteral("光盘镜像 %1 里的 %2 %3，不能直接修改；只接受连续存放在一处的普通文件。")
            .arg(shown(imagePath), isoPath, why));
  // Unsigned on the disc: a sector number of 2^31 or more is far on, never before.
  const qint64 start = qint64(found.sector) * kSectorSize;
  const qint64 size = found.size;
  if (size > 0 && start < tree.firstDataByte)
    return refused(
        QStringLiteral("光盘镜像 %1 里的 %2 记着从第 %3 字节起，落在镜像的系统区和卷描述符里"
                       "（数据区从第 %4 字节起）。这个镜像已损坏，不能直接修改。")
            .arg(shown(imagePath), isoPath)
            .arg(start)
            .arg(tree.firstDataByte));
  if (start > image.size() || size > image.size() - start)
    return refused(QStringLiteral("光盘镜像 %1 里的 %2 超出了镜像的末尾（从第 %3 字节起共 %4 字节，"
                                  "镜像只有 %5 字节）。请换用完整的镜像。")
                       .arg(shown(imagePath), isoPath)
                       .arg(start)
                       .arg(size)
                       .arg(image.size()));
  Lookup lookup{{{fileName, isoPath, start, size, hasChecksumTags(image)}, {}},
                tree.recordsOf(found)};
  if (hasUdfVolume(image))
    if (QString error = udfDisagreement(image, imagePath, lookup.result.entry, lookup.records);
        !error.isEmpty())
      return refused(std::move(error));
  return lookup;
}

} // namespace

ImageFormat probeImageFormat(const QString &path) {
  QFile file(path);
  const ImageFormat byContent = openRegularFile(file, QIODevice::ReadOnly).isEmpty()
                                    ? formatByContent(file)
                                    : ImageFormat::NotAnImage;
  return byContent != ImageFormat::NotAnImage ? byContent : formatByName(path);
}

bool isDiscImagePath(const QString &path) {
  return probeImageFormat(path) != ImageFormat::NotAnImage;
}

ImageEntryResult findImageEntry(const QString &imagePath, const QString &fileName) {
  QFile image(imagePath);
  if (const QString reason = openRegularFile(image, QIODevice::ReadOnly); !reason.isEmpty())
    return {{}, QStringLiteral("打不开光盘镜像 %1：%2。").arg(shown(imagePath), reason)};
  return lookUp(image, imagePath, fileName).result;
}

namespace {

// A lookup kept with the bytes of every record that says where its entry lies
// (the volume descriptor, the folders from the root down to the entry's, and
// the UDF descriptors and folders read). A rebuilt image that moved the entry,
// or a folder on its way, differs in one of them; writes inside an entry touch
// none of them.
struct KeptLookup {
  std::vector<ByteSpan> records;
  QByteArray bytes; // what they held when the entry was found
  qint64 imageSize = -1;
  ImageEntry entry;
};

// The lookups kept for the file access, by image path and entry name; only the
// program's main thread opens game files.
QHash<QString, KeptLookup> &keptLookups() {
  static QHash<QString, KeptLookup> kept;
  return kept;
}

QString lookupKey(const QString &imagePath, const QString &fileName) {
  return imagePath + u'\n' + fileName.toLower();
}

QByteArray recordBytes(QFile &image, const std::vector<ByteSpan> &spans) {
  QByteArray bytes;
  for (const ByteSpan &span : spans)
    bytes += bytesAt(image, span.start, span.size);
  return bytes;
}

} // namespace

ImageEntryResult locateImageEntry(QFile &image, const QString &imagePath, const QString &fileName) {
  const QString key = lookupKey(imagePath, fileName);
  if (const auto kept = keptLookups().constFind(key);
      kept != keptLookups().cend() && kept->imageSize == image.size() &&
      kept->bytes == recordBytes(image, kept->records))
    return {kept->entry, {}};
  keptLookups().remove(key);
  Lookup found = lookUp(image, imagePath, fileName);
  if (!found.result.ok())
    return found.result;
  QByteArray bytes = recordBytes(image, found.records);
  keptLookups().insert(
      key, {std::move(found.records), std::move(bytes), image.size(), found.result.entry});
  return found.result;
}

bool extractImageEntry(const QString &imagePath, const QString &fileName, const QString &targetPath,
                       QString *error) {
  auto failWith = [&](const QString &message) {
    if (error)
      *error = message;
    return false;
  };
  QFile image(imagePath);
  if (const QString reason = openRegularFile(image, QIODevice::ReadOnly); !reason.isEmpty())
    return failWith(QStringLiteral("打不开光盘镜像 %1：%2。").arg(shown(imagePath), reason));
  const ImageEntryResult found = lookUp(image, imagePath, fileName).result;
  if (!found.ok())
    return failWith(found.error);
  const QByteArray bytes = bytesAt(image, found.entry.start, found.entry.size);
  if (bytes.size() != found.entry.size)
    return failWith(QStringLiteral("读不出光盘镜像 %1 里的 %2：%3")
                        .arg(shown(imagePath), found.entry.isoPath, fileErrorReason(image)));
  QSaveFile target(targetPath);
  if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() || !target.commit())
    return failWith(
        QStringLiteral("写不进 %1：%2").arg(shown(targetPath), fileErrorReason(target)));
  return true;
}

ImageEntryResult locateGameFile(const GameFileRef &ref) {
  if (ref.inImage())
    return findImageEntry(ref.path, ref.entry);
  const QFileInfo info(ref.path);
  if (!info.isFile())
    return {{}, QStringLiteral("找不到文件 %1。").arg(shown(ref.path))};
  return {{info.fileName(), {}, 0, info.size()}, {}};
}

} // namespace korvane
