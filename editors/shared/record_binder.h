#pragma once

// Binds a record description to a window's controls, found by their objectNames:
// the show fills the controls from stored values, the collect turns them back into
// values, both walking the same description.

#include "editors/shared/record_layout.h"
#include "io/game_files.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;
class QLineEdit;
class QRadioButton;

namespace korvane {

class RecordBinder {
public:
  RecordBinder(QWidget *form, const RecordLayout &layout);

  const RecordLayout &layout() const { return layout_; }

  void show(const RecordValues &values);
  // Shows the values read from the record at the 0-based `start` of `file`, and
  // keeps them as what the window last showed of the file.
  void showFrom(const GameFileRef &file, qint64 start, const RecordValues &values);

  // What the window last showed of the file, so that writes made elsewhere can be
  // shown and a save can tell what changed underneath.
  struct Shown {
    GameFileRef file;
    qint64 start = -1;
    RecordValues values;
  };
  const std::optional<Shown> &shown() const { return shown_; }

  // Runs after every show has filled the controls, with what was shown kept; while
  // a show fills them, showing() is true.
  void setAfterShow(std::function<void()> afterShow) { afterShow_ = std::move(afterShow); }
  bool showing() const { return showing_; }

  struct Collected {
    RecordValues values;
    QString error;              // names the refused field's caption and what it accepts
    QWidget *culprit = nullptr; // the refused field's control
    bool ok() const { return error.isEmpty(); }
  };
  // Every control's entry checked and converted; the first refusal stops it.
  Collected collect() const;

  // After a save: boxes whose stored form differs from what was typed show what
  // was written (a negative bonus as value + 65536, the upgrade-range word), and
  // the file holds what was written.
  void showWritten(const RecordValues &values);

private:
  struct Binding {
    const Field *field;
    const FieldPart *part;
    QWidget *control;
    // A stored code that its pick list has no row for; written back unless the
    // user picks a row.
    std::optional<quint32> unlistedCode;
    // An option-group part's buttons, one per row of its choices.
    std::vector<QRadioButton *> options{};
  };

  void fill(const RecordValues &values);
  void showPart(Binding &binding, quint32 raw);
  QString collectPart(const Binding &binding, quint32 &raw) const;
  static int checkedOption(const Binding &binding);

  const RecordLayout &layout_;
  std::vector<std::vector<Binding>> bindings_; // per field, per part
  std::vector<QLineEdit *> displays_;          // per field, may be null
  std::optional<Shown> shown_;
  std::function<void()> afterShow_;
  bool showing_ = false;
};

} // namespace korvane
