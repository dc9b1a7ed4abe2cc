// korvane-screenshots [--readme README.md] [--samples DIR] OUTDIR
// Renders the main window and every editor window, showing the synthetic game
// files, to OUTDIR/<window name>.png, and lists the pictures in the README.

#include "tools/sample_data.h"
#include "tools/screenshots.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

namespace {

using namespace korvane;

int failWith(const QString &message) {
  QTextStream(stderr) << QCoreApplication::applicationName() << ": " << message << '\n';
  return 1;
}

// The sample files are written to a fixed folder by default, so that the main
// window's picture shows the same paths on every run.
QString defaultSampleDir() { return QDir::temp().filePath(QStringLiteral("korvane-screenshots")); }

// Removes the files the run wrote, and their folders once empty; nothing else.
void removeSamples(const QString &dir) {
  QDir samples(dir);
  for (const QString &name : samples::gameFileNames() + samples::nameListFileNames())
    samples.remove(name);
  samples.rmdir(QStringLiteral("data"));
  QDir().rmdir(dir);
}

} // namespace

int main(int argc, char *argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("korvane-screenshots"));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Renders the main window and every editor window, showing synthetic game "
                     "files, to OUTDIR/<window name>.png."));
  parser.addHelpOption();
  const QCommandLineOption readme(
      QStringLiteral("readme"),
      QStringLiteral("Lists the pictures between the screenshot markers of FILE."),
      QStringLiteral("FILE"));
  const QCommandLineOption sampleDir(
      QStringLiteral("samples"),
      QStringLiteral("Folder for the sample game files (default: %1).")
          .arg(QDir::toNativeSeparators(defaultSampleDir())),
      QStringLiteral("DIR"));
  parser.addOptions({readme, sampleDir});
  parser.addPositionalArgument(QStringLiteral("OUTDIR"),
                               QStringLiteral("Folder for the pictures; created if missing."));
  parser.process(app);
  if (parser.positionalArguments().size() != 1)
    return failWith(QStringLiteral("expected exactly one OUTDIR (see --help)"));

  const QString samplesAt = parser.isSet(sampleDir) ? parser.value(sampleDir) : defaultSampleDir();
  const screenshots::Result result =
      screenshots::renderAll(samplesAt, parser.positionalArguments().constFirst());
  removeSamples(samplesAt);

  QTextStream out(stdout);
  for (const screenshots::Picture &picture : result.pictures)
    out << "wrote " << QDir::toNativeSeparators(picture.path) << '\n';
  out.flush();
  if (!result.error.isEmpty())
    return failWith(result.error);
  if (!result.messages.isEmpty())
    return failWith(QStringLiteral("a window showed a message: ") +
                    result.messages.join(QStringLiteral(" / ")));
  QString error;
  if (parser.isSet(readme) &&
      !screenshots::updateReadme(parser.value(readme), result.pictures, &error))
    return failWith(error);
  return 0;
}
