#pragma once

// Drives a window through its named controls, as a user or UI automation would.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtGlobal>

namespace korvane::test {

class WindowDriver {
public:
  template <typename Control> Control *control(const QString &name) const {
    auto *found = window_ ? window_->findChild<Control *>(name) : nullptr;
    if (!found)
      qFatal("the window has no control %s", qPrintable(name));
    return found;
  }
  QLineEdit *box(const QString &name) const { return control<QLineEdit>(name); }
  QComboBox *combo(const QString &name) const { return control<QComboBox>(name); }
  QListWidget *list(const QString &name) const { return control<QListWidget>(name); }
  QCheckBox *check(const QString &name) const { return control<QCheckBox>(name); }

  QString text(const QString &name) const { return box(name)->text(); }
  void type(const QString &name, const QString &text) const { box(name)->setText(text); }
  void click(const QString &name) const { control<QPushButton>(name)->click(); }

protected:
  QPointer<QWidget> window_;
};

} // namespace korvane::test
