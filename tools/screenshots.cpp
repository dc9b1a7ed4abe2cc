#include "tools/screenshots.h"

#include "app/form1.h"
#include "app/table_grid_window.h"
#include "editors/shared/game_paths.h"
#include "io/name_list.h"
#include "tools/sample_data.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSet>
#include <QTableView>
#include <QTimer>
#include <algorithm>

namespace korvane::screenshots {

namespace {

// Answers what comes up modally while the windows are driven: the main window's
// file dialogs get the sample files, message boxes are recorded and dismissed
// (Cancel where they ask, so that nothing is ever written).
class ModalAnswerer {
public:
  ModalAnswerer(const QString &exePath, const QString &stagePath, QStringList &messages)
      : exePath_(exePath), stagePath_(stagePath), messages_(messages) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
    timer_.start(5);
  }

private:
  void answer() {
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
      messages_.append(box->text());
      QAbstractButton *button = box->button(QMessageBox::Cancel);
      if (!button)
        button = box->button(QMessageBox::Ok);
      if (button)
        button->click();
      else
        box->reject();
    } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
      const QString offered = dialog->nameFilters().join(u' ');
      const QString path = offered.contains(QStringLiteral("SLPS_255.37")) ? exePath_
                           : offered.contains(QStringLiteral("stage.bin")) ? stagePath_
                                                                           : QString();
      if (!path.isEmpty())
        dialog->selectFile(path);
      // Cancelled when the file cannot be chosen, rather than asked again and again.
      if (path.isEmpty() || dialog->selectedFiles() != QStringList{path})
        dialog->reject();
      else
        static_cast<QDialog *>(dialog)->accept();
    }
  }

  QTimer timer_;
  QString exePath_;
  QString stagePath_;
  QStringList &messages_;
};

// Lets shown windows lay themselves out and handle what their handlers posted.
void settle() {
  for (int round = 0; round < 3; ++round) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

// A list whose rows can be ticked edits one field; it holds no records.
bool isTickList(const QListWidget *list) {
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->data(Qt::CheckStateRole).isValid())
      return true;
  return false;
}

// Picks row 0 of every record list with none picked, in name order (List1 before
// List2), as a user would: a record picked in one list can fill the next.
void pickFirstRecords(QWidget *window) {
  QSet<QListWidget *> picked;
  for (bool pickedOne = true; pickedOne;) {
    pickedOne = false;
    QList<QListWidget *> lists = window->findChildren<QListWidget *>();
    std::sort(lists.begin(), lists.end(), [](QListWidget *a, QListWidget *b) {
      const QString &x = a->objectName(), &y = b->objectName();
      return x.size() != y.size() ? x.size() < y.size() : x < y;
    });
    for (QListWidget *list : lists) {
      if (picked.contains(list) || list->count() == 0 || list->currentRow() >= 0 ||
          isTickList(list))
        continue;
      picked.insert(list);
      list->setCurrentRow(0);
      settle();
      pickedOne = true;
      break;
    }
  }
}

// A window has few colours besides the shades of its text's edges: its 256 most
// frequent ones keep the picture faithful and a fraction of the size.
QImage withFewColours(const QImage &grabbed) {
  const QImage image = grabbed.convertToFormat(QImage::Format_RGB32);
  QHash<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      ++counts[line[x]];
  }
  QList<std::pair<int, QRgb>> byCount;
  for (auto it = counts.cbegin(); it != counts.cend(); ++it)
    byCount.append({-it.value(), it.key()});
  std::sort(byCount.begin(), byCount.end());
  QList<QRgb> palette;
  for (qsizetype i = 0; i < qMin<qsizetype>(256, byCount.size()); ++i)
    palette.append(byCount[i].second);
  return image.convertToFormat(QImage::Format_Indexed8, palette,
                               Qt::ThresholdDither | Qt::AvoidDither);
}

bool render(QWidget *window, const QString &outDir, Result &result) {
  settle();
  // No caret or focus frame whose blink phase would change the picture.
  if (QWidget *focus = QApplication::focusWidget())
    focus->clearFocus();
  settle();
  const QString path = QDir(outDir).filePath(window->objectName() + QStringLiteral(".png"));
  if (!withFewColours(window->grab().toImage()).save(path, "PNG", 9)) {
    result.error = QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(path));
    return false;
  }
  result.pictures.append({window->objectName(), window->windowTitle(), path});
  return true;
}

void clickButton(QWidget *window, const char *name) {
  if (auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name)))
    button->click();
}

QWidget *topLevel(const char *name) {
  for (QWidget *window : QApplication::topLevelWidgets())
    if (window->objectName() == QLatin1String(name) && window->isVisible())
      return window;
  return nullptr;
}

// The change history after one save in the unit editor: HP of its first unit,
// one higher.
bool renderHistory(Form1 &main, const QString &outDir, Result &result) {
  QWidget *units = main.registry().show(Section::Units);
  settle();
  pickFirstRecords(units);
  if (auto *hp = units->findChild<QLineEdit *>(QStringLiteral("Text1")))
    hp->setText(QString::number(hp->text().toLongLong() + 1));
  clickButton(units, "Command1");
  units->close();
  clickButton(&main, "historyButton");
  settle();
  QWidget *history = topLevel("HistoryWindow");
  if (!history) {
    result.error = QStringLiteral("the main window did not show the change history");
    return false;
  }
  pickFirstRecords(history);
  const bool written = render(history, outDir, result);
  history->close();
  settle();
  return written;
}

// The table grid on the unit table, one cell typed and not yet written, so that
// the picture shows how a pending cell is marked.
bool renderTableGrid(Form1 &main, const QString &outDir, Result &result) {
  clickButton(&main, "tableGrid");
  settle();
  auto *grid = qobject_cast<TableGridWindow *>(topLevel("TableGridWindow"));
  if (!grid) {
    result.error = QStringLiteral("the main window did not show the table grid");
    return false;
  }
  grid->findChild<QComboBox *>(QStringLiteral("tableChoice"))->setCurrentIndex(0);
  settle();
  TableGridModel &model = grid->model();
  const int column = model.leadingColumns() + 2;
  model.setCells({{1, column, model.index(0, column).data().toString(), {}}});
  // Scrolled sideways, so that the picture shows the place and name columns staying.
  auto *sheet = grid->findChild<QTableView *>(QStringLiteral("grid"));
  const int lead = model.leadingColumns();
  sheet->horizontalScrollBar()->setValue(sheet->columnWidth(lead) + sheet->columnWidth(lead + 1));
  settle();
  const bool written = render(grid, outDir, result);
  grid->close();
  settle();
  return written;
}

} // namespace

Result renderAll(const QString &sampleDir, const QString &outDir) {
  Result result;
  if (!samples::writeGameFiles(sampleDir, &result.error) ||
      !samples::writeNameLists(sampleDir, &result.error))
    return result;
  if (!QDir().mkpath(outDir)) {
    result.error = QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(outDir));
    return result;
  }
  const QString exePath = QDir(sampleDir).absoluteFilePath(QStringLiteral("SLPS_255.37"));
  const QString stagePath = QDir(sampleDir).absoluteFilePath(QStringLiteral("stage.bin"));
  setDataDirOverride(sampleDir);
  {
    ModalAnswerer answerer(exePath, stagePath, result.messages);
    Form1 main;
    main.show();
    // Chosen as a user chooses them, so that the main window shows both paths.
    clickButton(&main, "Command1");
    clickButton(&main, "Command4");
    if (gamePaths().ExePath != GameFileRef::plain(exePath) ||
        gamePaths().StagePath != GameFileRef::plain(stagePath))
      result.error = QStringLiteral("the main window did not take the sample game files");
    else if (render(&main, outDir, result)) {
      for (int row = 0; row < kSectionCount; ++row) {
        QWidget *editor = main.registry().show(*sectionAtRow(row));
        settle();
        pickFirstRecords(editor);
        const bool written = render(editor, outDir, result);
        editor->close();
        settle();
        if (!written)
          break;
      }
      if (result.error.isEmpty())
        renderHistory(main, outDir, result);
      if (result.error.isEmpty())
        renderTableGrid(main, outDir, result);
    }
    main.registry().closeAll();
  }
  setDataDirOverride({});
  gamePaths() = {};
  return result;
}

bool updateReadme(const QString &readmePath, const QList<Picture> &pictures, QString *error) {
  const auto fail = [&](const QString &why) {
    if (error)
      *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(readmePath), why);
    return false;
  };
  QFile file(readmePath);
  if (!file.open(QIODevice::ReadOnly))
    return fail(file.errorString());
  QString text = QString::fromUtf8(file.readAll());
  file.close();

  const QString begin = QStringLiteral("<!-- screenshots -->\n");
  const QString end = QStringLiteral("<!-- /screenshots -->");
  const qsizetype from = text.indexOf(begin);
  const qsizetype to = from < 0 ? -1 : text.indexOf(end, from);
  if (to < 0)
    return fail(QStringLiteral("no lines \"%1\" and \"%2\" to put the pictures between")
                    .arg(begin.trimmed(), end));

  const QDir readmeDir = QFileInfo(readmePath).absoluteDir();
  QString section;
  for (const Picture &picture : pictures)
    section += QStringLiteral("`%1` %2\n\n![%2](%3)\n\n")
                   .arg(picture.window, picture.title,
                        readmeDir.relativeFilePath(QFileInfo(picture.path).absoluteFilePath()));
  text.replace(from + begin.size(), to - from - begin.size(), section);

  QSaveFile out(readmePath);
  const QByteArray bytes = text.toUtf8();
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
    return fail(out.errorString());
  return true;
}

} // namespace korvane::screenshots
