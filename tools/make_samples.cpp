// korvane-samples [--lists-only | --game-only | --image-only] DIR
// Writes the synthetic game files and the placeholder name lists into DIR, or a
// disc image holding the game files.

#include "tools/sample_data.h"
#include "tools/sample_image.h"
#include "tools/utf8_console.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {

using namespace korvane::samples;

void printWritten(const QString &dir, const QStringList &relativePaths) {
  QTextStream out(stdout);
  for (const QString &path : relativePaths)
    out << "wrote " << QDir::toNativeSeparators(QDir(dir).filePath(path)) << '\n';
}

int failWith(const QString &message) {
  QTextStream(stderr) << QCoreApplication::applicationName() << ": " << message << '\n';
  return 1;
}

} // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("korvane-samples"));
  const korvane::Utf8Console console;

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Writes a synthetic SLPS_255.37 and stage.bin and placeholder name lists into DIR."));
  parser.addHelpOption();
  const QCommandLineOption listsOnly(QStringLiteral("lists-only"),
                                     QStringLiteral("Write only the name lists."));
  const QCommandLineOption gameOnly(QStringLiteral("game-only"),
                                    QStringLiteral("Write only the game files."));
  const QCommandLineOption imageOnly(
      QStringLiteral("image-only"),
      QStringLiteral("Write only game.iso, a disc image holding the game files "
                     "(needs genisoimage or xorriso)."));
  parser.addOptions({listsOnly, gameOnly, imageOnly});
  parser.addPositionalArgument(QStringLiteral("DIR"),
                               QStringLiteral("Folder to write into; created if missing."));
  parser.process(app); // ends the program on --help and on unknown options

  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1)
    return failWith(QStringLiteral("expected exactly one DIR (see --help)"));
  const int onlyOptions =
      int(parser.isSet(listsOnly)) + int(parser.isSet(gameOnly)) + int(parser.isSet(imageOnly));
  if (onlyOptions > 1)
    return failWith(
        QStringLiteral("--lists-only, --game-only and --image-only exclude each other"));

  const QString dir = positional.first();
  QString error;
  if (parser.isSet(imageOnly)) {
    if (!writeSampleImage(dir, &error))
      return failWith(error);
    printWritten(dir, {sampleImageName()});
    return 0;
  }
  if (!parser.isSet(gameOnly)) {
    if (!writeNameLists(dir, &error))
      return failWith(error);
    printWritten(dir, nameListFileNames());
  }
  if (!parser.isSet(listsOnly)) {
    if (!writeGameFiles(dir, &error))
      return failWith(error);
    printWritten(dir, gameFileNames());
  }
  return 0;
}
