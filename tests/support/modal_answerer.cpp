#include "tests/support/modal_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>

namespace korvane::test {

ModalAnswerer::ModalAnswerer() {
  connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::poll);
  timer_.start(5);
}

void ModalAnswerer::answer(std::initializer_list<QMessageBox::StandardButton> buttons) {
  answers_.insert(answers_.end(), buttons);
}

void ModalAnswerer::onFileDialog(std::function<void(QFileDialog *)> handler) {
  fileDialog_ = std::move(handler);
}

void ModalAnswerer::onInputDialog(std::function<void(QInputDialog *)> handler) {
  inputDialog_ = std::move(handler);
}

void ModalAnswerer::poll() {
  QWidget *modal = QApplication::activeModalWidget();
  if (auto *box = qobject_cast<QMessageBox *>(modal)) {
    texts_.append(box->text());
    QMessageBox::StandardButton choice = QMessageBox::Ok;
    if (!answers_.empty()) {
      choice = answers_.front();
      answers_.pop_front();
    }
    QAbstractButton *button = box->button(choice);
    if (!button)
      button = box->button(QMessageBox::Ok);
    button->click();
  } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
    if (fileDialog_)
      fileDialog_(dialog);
    else
      dialog->reject();
  } else if (auto *input = qobject_cast<QInputDialog *>(modal)) {
    if (inputDialog_)
      inputDialog_(input);
    else
      input->reject();
  }
}

std::function<void(QFileDialog *)> choosePath(const QString &path) {
  return [path](QFileDialog *dialog) {
    dialog->selectFile(path);
    // A dialog shown before keeps the focus in its name box, which selectFile leaves alone.
    if (dialog->selectedFiles() != QStringList{path})
      dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog *>(dialog)->accept();
  };
}

} // namespace korvane::test
