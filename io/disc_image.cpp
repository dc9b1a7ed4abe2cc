#include "io/disc_image.h"

#include "io/regular_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <cdio/iso9660.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace korvane {
namespace {

constexpr qint64 kSectorSize = ISO_BLOCKSIZE; // 2048
constexpr qint64 kRawSectorSize = 2352;
constexpr qint64 kVolumeDescriptorSector = ISO_PVD_SECTOR; // 16
// Mode 1 and mode 2 raw sectors put the user data after 16 or 24 header bytes.
constexpr qint64 kRawDataOffsets[] = {16, 24};
// ISO 9660 allows eight levels; a deeper tree is taken as a folder that
// contains itself.
constexpr int kMaxFolderDepth = 64;
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

bool holdsVolumeAt(QFile &file, qint64 offset) {
  return bytesAt(file, offset + 1, 5) == ISO_STANDARD_ID;
}

ImageFormat formatByContent(QFile &file) {
  const QByteArray head = bytesAt(file, 0, 16);
  for (const QByteArray &magic : compressedMagics())
    if (head.startsWith(magic))
      return ImageFormat::Compressed;
  if (head.startsWith(rawSync()))
    return ImageFormat::RawSectors;
  if (holdsVolumeAt(file, kVolumeDescriptorSector * kSectorSize))
    return ImageFormat::Iso;
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
  case ImageFormat::NoVolume:
  case ImageFormat::NotAnImage:
    break;
  }
  return QStringLiteral("读不出 %1 的 ISO 9660 卷描述符。%2。").arg(shown(path), kAccepted);
}

// A name of the image's ISO 9660 tree without its ";1" version suffix.
QString withoutVersion(const QString &isoName) { return isoName.section(u';', 0, 0); }

struct IsoFile {
  QString folder;  // "/GAME/"
  QString isoName; // "SLPS_255.37;1"
  qint64 start = 0;
  qint64 size = 0;
  QString isoPath() const { return folder + isoName; }
};

struct IsoCloser {
  void operator()(iso9660_t *iso) const { iso9660_close(iso); }
};
using IsoImage = std::unique_ptr<iso9660_t, IsoCloser>;

struct FileListFree {
  void operator()(CdioList_t *list) const { iso9660_filelist_free(list); }
};
using FileList = std::unique_ptr<CdioList_t, FileListFree>;

// Every file of the tree below `folder`; false with `error` when a folder cannot
// be read.
bool listFiles(iso9660_t *iso, const QString &folder, int depth, QList<IsoFile> &files,
               QString &error) {
  const FileList list(iso9660_ifs_readdir(iso, QFile::encodeName(folder).constData()));
  if (!list || depth > kMaxFolderDepth) {
    error = QStringLiteral("读不出光盘镜像里的文件夹 %1。").arg(folder);
    return false;
  }
  for (CdioListNode_t *node = _cdio_list_begin(list.get()); node;
       node = _cdio_list_node_next(node)) {
    const auto *stat = static_cast<const iso9660_stat_t *>(_cdio_list_node_data(node));
    const QString name = QString::fromLatin1(stat->filename);
    if (stat->type == iso9660_stat_s::_STAT_DIR) {
      if (name != u"." && name != u".." &&
          !listFiles(iso, folder + name + u'/', depth + 1, files, error))
        return false;
    } else {
      files.append({folder, name, qint64(stat->lsn) * kSectorSize, qint64(stat->size)});
    }
  }
  return true;
}

QString listedPaths(const QList<IsoFile> &files) {
  QStringList paths;
  for (const IsoFile &file : files.first(std::min<qsizetype>(files.size(), kListedFiles)))
    paths.append(file.isoPath());
  QString text = paths.join(QStringLiteral("、"));
  if (files.size() > kListedFiles)
    text += QStringLiteral(" 等共 %1 个").arg(files.size());
  return text;
}

QString missingEntry(const QString &imagePath, const QString &fileName,
                     const QList<IsoFile> &files) {
  const QString found = files.isEmpty()
                            ? QStringLiteral("镜像里没有任何文件")
                            : QStringLiteral("镜像里的文件：%1").arg(listedPaths(files));
  return QStringLiteral("光盘镜像 %1 里找不到 %2（%3）。").arg(shown(imagePath), fileName, found);
}

QString repeatedEntry(const QString &imagePath, const QString &fileName,
                      const QList<IsoFile> &matches) {
  // One folder cannot hold a name twice: these are the extents of one file.
  const bool oneFolder = std::all_of(matches.begin(), matches.end(), [&](const IsoFile &file) {
    return file.isoPath() == matches.first().isoPath();
  });
  if (oneFolder)
    return QStringLiteral(
               "光盘镜像 %1 里的 %2 分成了 %3 段存放，不能直接修改；只接受连续存放在一处的文件。")
        .arg(shown(imagePath), matches.first().isoPath())
        .arg(matches.size());
  return QStringLiteral("光盘镜像 %1 里有 %2 个 %3：%4。只接受恰好含一个 %3 的镜像。")
      .arg(shown(imagePath))
      .arg(matches.size())
      .arg(fileName, listedPaths(matches));
}

// Opens the volume and checks that the image holds all of it.
IsoImage openVolume(const QString &imagePath, qint64 imageSize, QString &error) {
  IsoImage iso(iso9660_open_ext(QFile::encodeName(imagePath).constData(), ISO_EXTENSION_NONE));
  iso9660_pvd_t pvd;
  if (!iso || !iso9660_ifs_read_pvd(iso.get(), &pvd) ||
      iso9660_get_pvd_block_size(&pvd) != kSectorSize) {
    error = refusalFor(ImageFormat::NoVolume, imagePath);
    return {};
  }
  const qint64 volumeSize = qint64(iso9660_get_pvd_space_size(&pvd)) * kSectorSize;
  if (volumeSize > imageSize) {
    error =
        QStringLiteral("光盘镜像 %1 不完整：卷上记着 %2 字节，文件只有 %3 字节。请换用完整的镜像。")
            .arg(shown(imagePath))
            .arg(volumeSize)
            .arg(imageSize);
    return {};
  }
  return iso;
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
  const ImageFormat format = formatByContent(image);
  if (format != ImageFormat::Iso)
    return {{},
            refusalFor(format == ImageFormat::NotAnImage ? formatByName(imagePath) : format,
                       imagePath)};

  QString error;
  const IsoImage iso = openVolume(imagePath, image.size(), error);
  QList<IsoFile> files;
  if (!iso || !listFiles(iso.get(), QStringLiteral("/"), 0, files, error))
    return {{}, error};

  QList<IsoFile> matches;
  std::copy_if(files.begin(), files.end(), std::back_inserter(matches), [&](const IsoFile &file) {
    return withoutVersion(file.isoName).compare(fileName, Qt::CaseInsensitive) == 0;
  });
  if (matches.isEmpty())
    return {{}, missingEntry(imagePath, fileName, files)};
  if (matches.size() > 1)
    return {{}, repeatedEntry(imagePath, fileName, matches)};

  const IsoFile &found = matches.first();
  if (found.start + found.size > image.size())
    return {{},
            QStringLiteral("光盘镜像 %1 里的 %2 超出了镜像的末尾（从第 %3 字节起共 %4 字节，"
                           "镜像只有 %5 字节）。请换用完整的镜像。")
                .arg(shown(imagePath), found.isoPath())
                .arg(found.start)
                .arg(found.size)
                .arg(image.size())};
  return {{fileName, found.isoPath(), found.start, found.size}, {}};
}

namespace {

// Where a kept lookup's entry is recorded: the volume descriptor and the folders
// from the root down to the one that holds the entry. A rebuilt image that moved
// the entry, or a folder on its way, differs in one of them; writes inside an
// entry touch none of them.
struct ByteSpan {
  qint64 start = 0;
  qint64 size = 0;
};

struct KeptLookup {
  std::vector<ByteSpan> records; // volume descriptor first, then the folders
  QByteArray bytes;              // what they held when the entry was found
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

struct StatFree {
  void operator()(iso9660_stat_t *stat) const { iso9660_stat_free(stat); }
};

// The volume descriptor and the extents of the folders that lead to `isoPath`
// ("/GAME/SLPS_255.37;1": "/" and "/GAME"); empty when one cannot be read.
std::vector<ByteSpan> recordSpans(const QString &imagePath, const QString &isoPath) {
  const IsoImage iso(
      iso9660_open_ext(QFile::encodeName(imagePath).constData(), ISO_EXTENSION_NONE));
  if (!iso)
    return {};
  std::vector<ByteSpan> spans{{kVolumeDescriptorSector * kSectorSize, kSectorSize}};
  const QStringList names = isoPath.split(u'/', Qt::SkipEmptyParts);
  QString folder = QStringLiteral("/");
  for (qsizetype i = 0; i < names.size(); ++i) {
    const std::unique_ptr<iso9660_stat_t, StatFree> stat(
        iso9660_ifs_stat(iso.get(), QFile::encodeName(folder).constData()));
    if (!stat || stat->type != iso9660_stat_s::_STAT_DIR)
      return {};
    spans.push_back({qint64(stat->lsn) * kSectorSize, qint64(stat->size)});
    folder = (i == 0 ? QStringLiteral("/") : folder + u'/') + names[i];
  }
  return spans;
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
  ImageEntryResult found = findImageEntry(imagePath, fileName);
  if (!found.ok())
    return found;
  // A lookup whose records cannot be read again is not kept: the next operation
  // looks the entry up afresh.
  if (std::vector<ByteSpan> records = recordSpans(imagePath, found.entry.isoPath);
      !records.empty()) {
    QByteArray bytes = recordBytes(image, records);
    keptLookups().insert(key, {std::move(records), std::move(bytes), image.size(), found.entry});
  }
  return found;
}

bool extractImageEntry(const QString &imagePath, const QString &fileName, const QString &targetPath,
                       QString *error) {
  auto failWith = [&](const QString &message) {
    if (error)
      *error = message;
    return false;
  };
  const ImageEntryResult found = findImageEntry(imagePath, fileName);
  if (!found.ok())
    return failWith(found.error);
  QFile image(imagePath);
  if (const QString reason = openRegularFile(image, QIODevice::ReadOnly); !reason.isEmpty())
    return failWith(QStringLiteral("打不开光盘镜像 %1：%2。").arg(shown(imagePath), reason));
  const QByteArray bytes = bytesAt(image, found.entry.start, found.entry.size);
  if (bytes.size() != found.entry.size)
    return failWith(QStringLiteral("读不出光盘镜像 %1 里的 %2：%3")
                        .arg(shown(imagePath), found.entry.isoPath, image.errorString()));
  QSaveFile target(targetPath);
  if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() || !target.commit())
    return failWith(QStringLiteral("写不进 %1：%2").arg(shown(targetPath), target.errorString()));
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
