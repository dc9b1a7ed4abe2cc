#include "app/history_window.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/messages.h"
#include "editors/shared/record_actions.h"
#include "io/module1.h"

#include <QAbstractItemView>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace korvane {

namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kAskedLines = 20; // overwritten fields named in the question
const QString kFieldCaption = QStringLiteral("所选记录改动的内容：");

quint64 idOf(const QListWidgetItem *item) { return item->data(kIdRole).toULongLong(); }

} // namespace

HistoryWindow::HistoryWindow(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "HistoryWindow", QStringLiteral("修改记录"));

  droppedLabel = new QLabel(this);
  droppedLabel->setObjectName(QStringLiteral("droppedLabel"));
  droppedLabel->setWordWrap(true);
  droppedLabel->hide();

  historyList = makeRecordList("historyList", this);
  historyList->setSelectionMode(QAbstractItemView::ExtendedSelection);

  fieldLabel = new QLabel(kFieldCaption, this);
  fieldLabel->setObjectName(QStringLiteral("fieldLabel"));
  fieldLabel->setWordWrap(true);
  fieldLabel->setTextFormat(Qt::PlainText);
  fieldList = makeRecordList("fieldList", this);
  fieldList->setSelectionMode(QAbstractItemView::NoSelection);

  undoButton = makeButton("undoButton", QStringLiteral("撤销所选"), this);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(undoButton);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(droppedLabel);
  layout->addWidget(historyList, 3);
  layout->addWidget(fieldLabel);
  layout->addWidget(fieldList, 2);
  layout->addLayout(buttons);
  resize(760, 520);

  connect(historyList, &QListWidget::currentRowChanged, this, &HistoryWindow::historyList_Click);
  connect(undoButton, &QPushButton::clicked, this, &HistoryWindow::undoButton_Click);
  connect(&changeHistory(), &ChangeHistory::entryAdded, this, &HistoryWindow::refresh);
  refresh();
}

void HistoryWindow::refresh() {
  const ChangeHistory &history = changeHistory();
  const std::deque<ChangeEntry> &entries = history.entries();
  const quint64 oldest = entries.empty() ? ~quint64(0) : entries.front().id;
  // Dropped entries are the oldest, at the bottom.
  while (historyList->count() > 0 && idOf(historyList->item(historyList->count() - 1)) < oldest)
    delete historyList->takeItem(historyList->count() - 1);
  const quint64 newestShown = historyList->count() > 0 ? idOf(historyList->item(0)) : 0;
  for (const ChangeEntry &entry : entries) {
    if (entry.id <= newestShown)
      continue;
    auto *item = new QListWidgetItem(describer_.headline(entry));
    item->setData(kIdRole, entry.id);
    item->setToolTip(entry.location.displayName());
    historyList->insertItem(0, item);
  }
  if (history.dropped() > 0) {
    droppedLabel->setText(QStringLiteral("只保留最近的 %1 条修改记录，较早的 %2 条已经舍去。")
                              .arg(ChangeHistory::kMaxEntries)
                              .arg(history.dropped()));
    droppedLabel->show();
  }
}

void HistoryWindow::historyList_Click() {
  fieldList->clear();
  fieldLabel->setText(kFieldCaption);
  const QListWidgetItem *item = historyList->currentItem();
  if (!item)
    return;
  if (const ChangeEntry *entry = changeHistory().find(idOf(item))) {
    fieldLabel->setText(
        QStringLiteral("所选记录改动的内容（文件：%1）：").arg(entry->location.displayName()));
    fieldList->addItems(describer_.describe(entry->file, entry->spans).lines);
  }
}

void HistoryWindow::undoButton_Click() {
  std::vector<quint64> ids;
  for (const QListWidgetItem *item : historyList->selectedItems())
    ids.push_back(idOf(item));
  if (!requireSelection(this, ids.empty() ? -1 : 0,
                        QStringLiteral("请先在列表中选择要撤销的修改记录。")))
    return;
  std::sort(ids.rbegin(), ids.rend()); // newest first
  // Each revert adds an entry and may drop old ones: work on copies.
  std::vector<ChangeEntry> chosen;
  for (quint64 id : ids)
    if (const ChangeEntry *entry = changeHistory().find(id))
      chosen.push_back(*entry);
  historyList->clearSelection();
  for (const ChangeEntry &entry : chosen)
    if (!revert(entry))
      break;
}

bool HistoryWindow::revert(const ChangeEntry &entry) {
  Edit edit;
  edit.file = entry.location;
  edit.label = {windowTitle(), QStringLiteral("撤销"), entry.id};
  edit.what = QStringLiteral("这条修改记录写入的内容");
  for (const ChangeSpan &span : entry.spans)
    edit.spans.push_back({span.start, span.before.toByteArray(), span.after.toByteArray()});
  const EditResult result = runEdit(this, edit, [&](const Drift &drift) {
    ChangeSpans overwritten;
    for (const DriftedSpan &span : drift)
      overwritten.append(edit.spans[span.index].start, edit.spans[span.index].expected, span.now);
    const SpanText now = describer_.describe(entry.file, overwritten);
    QStringList lines = now.lines.mid(0, kAskedLines);
    if (now.lines.size() > kAskedLines)
      lines.append(QStringLiteral("……另有 %1 处").arg(now.lines.size() - kAskedLines));
    return askOkCancel(
        this, QStringLiteral("%1写入的内容后来又被改过（写入的值 → 文件现在的值）：\n%2\n\n"
                             "仍然撤销这条记录，把这些内容写回修改以前的值吗？")
                  .arg(entryName(entry), lines.join(QLatin1Char('\n'))));
  });
  // A declined question writes nothing of this entry; the others go on.
  return result.status != EditResult::Status::Failed &&
         result.status != EditResult::Status::Drifted;
}

} // namespace korvane
