#pragma once

// The commands of korvane-tool, each a function that prints to the two streams it
// is given and returns the program's exit status. Every table comes from the
// editor's catalog, every value is read and written through the editor's own
// descriptions, text forms and file access. Only importCsv and applyPatch write a
// game file, each through one operation.

#include "editors/catalog/table_catalog.h"
#include "io/module1.h"
#include "io/patch_maker.h"
#include "tools/korvane_tool/csv.h"

#include <QHash>

#include <QTextStream>
#include <functional>
#include <optional>

namespace korvane::tool {

enum ExitStatus { kSuccess = 0, kDiffers = 1, kFailed = 2 };

enum class Format { Text, Csv, Json };

// The file kind of a game file when the command does not name a table: a name
// ending in ".bin" or holding "stage" is a stage file, anything else the executable.
GameFile guessFileKind(const QString &path);

// The column names of a table's dump: "序号", "名称", then one per shown part,
// named by its caption (a caption that comes twice gets its control's name added).
QStringList dumpColumns(const CatalogTable &table);

struct DumpRequest {
  QString file;
  QString table; // a catalog key, or "all"
  Format format = Format::Csv;
  bool bom = false;
  QString output;               // a file (a folder for "all"); empty: standard output
  std::optional<GameFile> kind; // which game file FILE is; guessed from its name when empty
};

struct DiffRequest {
  QString original;
  QString modified;
  Format format = Format::Text;
  std::optional<GameFile> kind;
};

struct ImportRequest {
  QString file;
  QString table;
  QString csv;
  bool dryRun = false;
  std::optional<GameFile> kind; // which game file FILE is; guessed from its name when empty
};

class Tool {
public:
  // Name lists come from `namesDir` (DataDir when empty), the stage lists from its
  // "data" subfolder.
  Tool(QTextStream &out, QTextStream &err, const QString &namesDir = {});

  int tables();
  int dump(const DumpRequest &request);
  int diff(const DiffRequest &request);
  int importCsv(const ImportRequest &request);
  // The format is `format`, or else told by the output's name (IPS for ".ips", BPS
  // otherwise).
  int patch(const QString &original, const QString &modified, const QString &output,
            std::optional<PatchFormat> format = {});
  // Applies a BPS or IPS patch, told by its header, all or nothing. With `dryRun`
  // it only says whether the patch fits and what it would change, by table,
  // record and field.
  int apply(const QString &file, const QString &patch, bool dryRun = false,
            std::optional<GameFile> kind = {});

private:
  // The records an import walks: where each lies, what it holds, what the CSV wants.
  struct ImportValues {
    std::vector<qint64> offsets;
    std::vector<RecordValues> stored;
    std::vector<RecordValues> wanted;
  };

  int fail(const QString &message);
  // Flushes standard output and returns `status`, unless the system refused part
  // of what was printed: then the failure is reported, with `doneAnyway` saying
  // what was written all the same, and the command fails.
  int finish(int status, const QString &doneAnyway = {});
  // Lists the fields and unnamed bytes in which `was` and `is` differ; true when any do.
  bool listChanges(GameFile kind, QByteArrayView was, QByteArrayView is, Format format);
  bool readImportRows(const CatalogTable &table, const CsvTable &csv,
                      const QHash<QString, int> &position, Module1::Operation &op,
                      ImportValues &values, QString &error);
  void warnAboutLists();
  std::optional<QByteArray> readGameFile(const QString &path);
  bool tableFits(const CatalogTable &table, const QString &path, qint64 size);
  void writeDump(QTextStream &out, const CatalogTable &table, const QByteArray &bytes,
                 Format format);
  void dumpTo(QIODevice &device, const CatalogTable &table, const QByteArray &bytes,
              const DumpRequest &request);
  // Writes the output file through `write`, all of it or nothing; never over a
  // game file.
  bool streamOutput(const QString &path, const QStringList &gameFiles,
                    const std::function<void(QIODevice &)> &write);
  bool writeOutput(const QString &path, const QByteArray &bytes, const QStringList &gameFiles);
  bool writtenAsPatched(const QString &file, const QByteArray &source, const QByteArray &target,
                        const std::vector<ByteRange> &spans);

  QTextStream &out_;
  QTextStream &err_;
  ListRows rows_;
  int warned_ = 0;
};

} // namespace korvane::tool
