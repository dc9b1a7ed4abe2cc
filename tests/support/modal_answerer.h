#pragma once

// Answers the modal message boxes and file dialogs that a window under test opens,
// recording every message text.

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

class QFileDialog;
class QInputDialog;

namespace korvane::test {

class ModalAnswerer : public QObject {
public:
  ModalAnswerer();

  // The buttons for the next questions, in order; OK once they run out.
  void answer(std::initializer_list<QMessageBox::StandardButton> buttons);
  // What a file dialog gets: the handler selects or rejects; by default it is cancelled.
  void onFileDialog(std::function<void(QFileDialog *)> handler);
  // What an item choice gets: the handler picks or rejects; by default it is cancelled.
  void onInputDialog(std::function<void(QInputDialog *)> handler);

  const QStringList &texts() const { return texts_; }
  QString last() const { return texts_.isEmpty() ? QString() : texts_.last(); }
  void clear() { texts_.clear(); }

private:
  void poll();

  QTimer timer_;
  QStringList texts_;
  std::deque<QMessageBox::StandardButton> answers_;
  std::function<void(QFileDialog *)> fileDialog_;
  std::function<void(QInputDialog *)> inputDialog_;
};

// A file dialog answer that chooses `path`.
std::function<void(QFileDialog *)> choosePath(const QString &path);

} // namespace korvane::test
