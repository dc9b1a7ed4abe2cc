#pragma once

// Binds a record description to a window's controls, found once by their
// objectNames and held as the kind each part needs: the show fills the controls
// from stored values, the collect turns them back into values, both walking the
// same description. A window that lacks a control, or holds one of another kind,
// fails when the binder is made (DescriptionMismatch), in every build.

#include "editors/shared/record_layout.h"
#include "io/game_files.h"

#include <QString>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QWidget;

namespace korvane {

class RecordBinder {
public:
  // Throws DescriptionMismatch, naming the window and the control, when `form`
  // lacks a control of `layout` or holds one of another kind.
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
  // An option-group part's buttons, one per row of its choices, in row order.
  using OptionButtons = std::vector<QRadioButton *>;
  // The control of a part, of the kind its encoding needs: a pick list for a
  // code, a check box for a flag, a tickable list for flag rows, option buttons
  // for an option group and a text box for every number.
  using Control = std::variant<QLineEdit *, QComboBox *, QCheckBox *, QListWidget *, OptionButtons>;

  struct Binding {
    const Field *field;
    const FieldPart *part;
    QWidget *widget; // the control, or the option group's frame: where a refusal points
    Control control;
    // A stored code that its pick list has no row for; written back unless the
    // user picks a row.
    std::optional<quint32> unlistedCode{};
  };

  static Binding bind(QWidget *form, const Field &field, const FieldPart &part);

  void fill(const RecordValues &values);
  void showPart(Binding &binding, quint32 raw);
  QString collectPart(const Binding &binding, quint32 &raw) const;
  static int checkedOption(const OptionButtons &options);

  const RecordLayout &layout_;
  std::vector<std::vector<Binding>> bindings_; // per field, per part
  std::vector<QLineEdit *> displays_;          // per field, may be null
  std::optional<Shown> shown_;
  std::function<void()> afterShow_;
  bool showing_ = false;
};

} // namespace korvane
