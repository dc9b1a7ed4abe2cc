#pragma once

// The commands of korvane-tool, each a function that prints to the two streams it
// is given and returns the program's exit status. Every table comes from the
// editor's catalog, every value is read and written through the editor's own
// descriptions, text forms and file access. Only importCsv and applyPatch write a
// game file, each through one operation.

#include "editors/catalog/table_catalog.h"
#include "editors/catalog/table_columns.h"
#include "io/module1.h"
#include "io/patch_maker.h"
#include "io/patched_file.h"
#include "tools/korvane_tool/csv.h"

#include <QHash>

#include <QTextStream>
#include <functional>
#include <map>
#include <optional>

namespace korvane::tool {

enum ExitStatus { kSuccess = 0, kDiffers = 1, kFailed = 2 };

enum class Format { Text, Csv, Json };

// The file kind of a game file when the command does not name a table: an entry
// of a disc image is the game file it names; a plain file whose name ends in
// ".bin" or holds "stage" is a stage file, any other the executable.
GameFile guessFileKind(const GameFileRef &file);

// Every game file a command is given may be a disc image instead; the table, or
// the command's entry option, decides which entry is meant.
bool namesImage(const GameFileRef &file);
// What a game file typed on the command line names: a plain file, or with the
// separator an entry of a disc image ("game.iso › stage.bin"). The command line
// reads the text once; the commands take what it names.
GameFileRef typedGameFile(const QString &text);
// The entry `kind` of `file` when `file` is a disc image, else `file` itself.
GameFileRef entryIn(const GameFileRef &file, GameFile kind);

struct DumpRequest {
  GameFileRef file;
  QString table; // a catalog key, or "all"
  Format format = Format::Csv;
  bool bom = false;
  QString output;               // a file (a folder for "all"); empty: standard output
  std::optional<GameFile> kind; // which game file FILE is; guessed from its name when empty
};

struct DiffRequest {
  GameFileRef original;
  GameFileRef modified;
  Format format = Format::Text;
  std::optional<GameFile> kind;
};

struct ImportRequest {
  GameFileRef file;
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
  // Two disc images make a patch of the whole image, or with `entry` of that
  // entry alone.
  int patch(const GameFileRef &original, const GameFileRef &modified, const QString &output,
            std::optional<PatchFormat> format = {}, std::optional<GameFile> entry = {});
  // Applies a BPS or IPS patch, told by its header, all or nothing. With `dryRun`
  // it only says whether the patch fits and what it would change, by table,
  // record and field.
  // A disc image takes the patch on the entry `kind` names, or whole without it.
  int apply(const GameFileRef &file, const QString &patch, bool dryRun = false,
            std::optional<GameFile> kind = {});
  // Copies SLPS_255.37 and stage.bin out of a disc image into `folder`.
  int extract(const QString &image, const QString &folder);

private:
  int fail(const QString &message);
  // Where the records of a table split by the stage lists stand (null for the other
  // tables); unusable stage lines are reported on standard error the first time.
  const StagePlacement *placementOf(const CatalogTable &table);
  // A record as dumps and change listings name it: its index, or its stage and number.
  QString recordKey(const CatalogTable &table, int index);
  // The same in a sentence: "序号 5" or "关卡3 机体2".
  QString recordLabel(const CatalogTable &table, int index);
  int dumpImage(const DumpRequest &request);
  // Flushes standard output and returns `status`, unless the system refused part
  // of what was printed: then the failure is reported, with `doneAnyway` saying
  // what was written all the same, and the command fails.
  int finish(int status, const QString &doneAnyway = {});
  // Lists the fields and unnamed bytes in which `was` and `is` differ; true when any do.
  bool listChanges(GameFile kind, QByteArrayView was, QByteArrayView is, Format format);
  // The same for the changed spans (sorted, apart) of a file.
  bool listChanges(GameFile kind, const std::vector<ChangeSpan> &spans, Format format);
  bool readImportRows(const CatalogTable &table, const CsvTable &csv,
                      const QHash<QString, int> &position, const std::vector<qint64> &offsets,
                      qint64 base, QByteArrayView stored, QByteArray &wanted, int &fieldsChanged,
                      QString &error);
  void warnAboutLists();
  std::optional<QByteArray> readGameFile(const GameFileRef &file);
  bool tableFits(const CatalogTable &table, const GameFileRef &file, qint64 size);
  void writeDump(QTextStream &out, const CatalogTable &table, const QByteArray &bytes,
                 Format format);
  void dumpTo(QIODevice &device, const CatalogTable &table, const QByteArray &bytes,
              const DumpRequest &request);
  // Writes the output file through `write`, all of it or nothing; never over a
  // game file.
  bool streamOutput(const QString &path, const GameFileRef &gameFile,
                    const std::function<void(QIODevice &)> &write);
  bool writtenAsPatched(const GameFileRef &file, const std::vector<PatchedSpan> &spans);

  QTextStream &out_;
  QTextStream &err_;
  ListRows rows_;
  int warned_ = 0;
  std::map<const CatalogTable *, StagePlacement> placements_;
};

} // namespace korvane::tool
