#include "editors/shared/record_coherence.h"

#include "editors/shared/field_codec.h"
#include "editors/shared/list_rows.h"
#include "editors/shared/messages.h"
#include "editors/shared/record_actions.h"
#include "io/change_history.h"
#include "io/module1.h"

#include <QDir>
#include <QWidget>
#include <algorithm>

namespace korvane {

namespace {

constexpr int kAskedLines = 20; // changed fields named in the question

bool overlaps(qint64 start, qint64 length, const ChangeSpan &span) {
  return span.start < start + length && start < span.start + span.after.size();
}

// Whether the entry changed a byte of a field the binder shows; the bytes between
// fields belong to no control.
bool changesShownFields(const ChangeEntry &entry, const RecordBinder &binder) {
  const RecordBinder::Shown &shown = *binder.shown();
  const RecordLayout &layout = binder.layout();
  if (entry.location != shown.file)
    return false;
  return std::any_of(entry.spans.begin(), entry.spans.end(), [&](const ChangeSpan &span) {
    return overlaps(shown.start, layout.recordSize, span) &&
           std::any_of(layout.fields.begin(), layout.fields.end(), [&](const Field &field) {
             return overlaps(shown.start + field.offset, field.width, span);
           });
  });
}

// The parts of a changed field whose text changed; the whole field in hex when only
// bits that no control shows did.
void describeChange(const Field &field, quint32 was, quint32 now, ListRows &rows,
                    QStringList &lines) {
  const qsizetype before = lines.size();
  for (const FieldPart &part : field.parts) {
    const QString wasText = partValueText(part, field, was, rows);
    const QString nowText = partValueText(part, field, now, rows);
    if (wasText != nowText)
      lines.append(QStringLiteral("%1: %2 → %3").arg(part.caption, wasText, nowText));
  }
  if (lines.size() == before)
    lines.append(QStringLiteral("%1: %2 → %3")
                     .arg(field.parts.front().caption, Module1::FileOrderHex(was, field.width),
                          Module1::FileOrderHex(now, field.width)));
}

} // namespace

GameFileSwitches &gameFileSwitches() {
  static GameFileSwitches switches;
  return switches;
}

void announceGameFileSwitch(GameFile file) { emit gameFileSwitches().switched(file); }

void reshowOnGameFileSwitch(QWidget *window, GameFile file, std::function<void()> reshow) {
  QObject::connect(&gameFileSwitches(), &GameFileSwitches::switched, window,
                   [file, reshow = std::move(reshow)](GameFile switched) {
                     if (switched == file)
                       reshow();
                   });
}

void keepShownRecordCurrent(QWidget *window, RecordBinder &binder) {
  QObject::connect(&changeHistory(), &ChangeHistory::entryAdded, window,
                   [window, &binder](quint64 id) {
                     const ChangeEntry *entry = changeHistory().find(id);
                     if (!entry || !binder.shown() || entry->origin == &binder ||
                         !changesShownFields(*entry, binder))
                       return;
                     const RecordBinder::Shown place = *binder.shown();
                     showRecord(window, place.file, binder, place.start);
                   });
}

QStringList fieldsChangedSinceShown(const RecordBinder &binder, qint64 recordStart,
                                    const RecordValues &now) {
  const std::optional<RecordBinder::Shown> &shown = binder.shown();
  if (!shown || shown->start != recordStart)
    return {};
  QStringList lines;
  ListRows rows;
  const std::vector<Field> &fields = binder.layout().fields;
  for (size_t i = 0; i < fields.size(); ++i)
    if (shown->values[i] != now[i])
      describeChange(fields[i], shown->values[i], now[i], rows, lines);
  return lines;
}

bool showsAnotherFile(const RecordBinder &binder, const GameFileRef &file) {
  return binder.shown() && binder.shown()->file != file;
}

bool confirmOverwrite(QWidget *window, const RecordBinder &binder, const GameFileRef &file,
                      const QStringList &changes, const QString &action) {
  const bool anotherFile = showsAnotherFile(binder, file);
  if (changes.isEmpty() && !anotherFile)
    return true;
  QStringList lines = changes.mid(0, kAskedLines);
  if (changes.size() > kAskedLines)
    lines.append(QStringLiteral("……另有 %1 处").arg(changes.size() - kAskedLines));
  const QString &what = binder.layout().what;
  if (anotherFile)
    return askOkCancel(
        window,
        QStringLiteral("本窗口显示的%1读自另一个文件：\n%2\n现在选择的文件是：\n%3\n"
                       "%4\n确定：仍然%5，把窗口中的内容写入现在选择的文件。\n"
                       "取消：不写入任何内容。")
            .arg(what, binder.shown()->file.displayName(), file.displayName(),
                 lines.isEmpty() ? QString()
                                 : QStringLiteral("两个文件中不同的栏位（窗口显示的值 → 现在选择的"
                                                  "文件中的值）：\n%1\n")
                                       .arg(lines.join(QLatin1Char('\n'))),
                 action));
  return askOkCancel(window, QStringLiteral("文件中的%1在本窗口显示以后被改过"
                                            "（窗口显示的值 → 文件现在的值）：\n%2\n\n"
                                            "确定：仍然%3，用窗口中的内容覆盖这些改动。\n"
                                            "取消：不写入任何内容。")
                                 .arg(what, lines.join(QLatin1Char('\n')), action));
}

} // namespace korvane
