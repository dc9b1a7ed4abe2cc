#pragma once

// How a game table is laid out and how each of its fields is shown: the one
// description that a window's show and save both walk. Free of widgets, so that
// command-line tools can dump, diff and import tables with the same description.

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace korvane {

struct NameListFile;

// How a part of a stored field appears to the user.
enum class Encoding {
  Decimal,               // unsigned decimal number
  SignedDecimal,         // two's complement over the whole field (the unit's HP)
  SignedRewrittenOnSave, // a word shown signed; a negative entry is written as
                         // value + 65536 and its box then shows that stored form
  Hex,                   // the whole field as hex digits, bytes in file order
  Choice,                // the code is the row of a pick list
  Flag,                  // one bit, a check box
  FlagRows,              // bit i is tickable row i of a list
  FlagRowsReversed,      // bit i is tickable row (bits - 1 - i) of a list
  OptionGroup,           // the code is one of the option buttons in a frame, one per
                         // row of `choices`; a code with no button leaves all unselected
};

// Where the rows of a pick list come from. The window fills the lists when it
// loads; the description only says which list a code indexes.
struct ChoiceSource {
  const QStringList *fixedRows = nullptr; // a list the program holds
  const NameListFile *nameList = nullptr; // or a name list beside the program
  // A code that the list's last row stands for instead of its own index
  // (an empty slot stored as 65535); -1 when there is none.
  qint64 lastRowCode = -1;
  QString lastRowText{}; // that row's text ("空位:------")
  // The code each row stands for, when it is not the row's own index (the
  // training types 0, 2, 5, 7); null when row i is code i.
  const std::vector<quint32> *codes = nullptr;

  // The rows the list holds once the window has filled it.
  int rows() const;
};

// One control's share of a stored field: the bits from `shift` on, `bits` wide
// (0 = the whole field).
struct FieldPart {
  QString control; // the control's objectName ("Text8_3": element 3 of Text8)
  QString caption; // the caption that names it in messages
  Encoding encoding = Encoding::Decimal;
  int shift = 0;
  int bits = 0;
  qint64 minimum = 0; // accepted range of a decimal entry; 0..0 = the bits' full range
  qint64 maximum = 0;
  ChoiceSource choices{};
};

struct Field {
  QString name; // the field's name in the game's table ("UpgradeRange")
  int offset;   // within the record
  int width;    // 1, 2 or 4 bytes, little-endian
  std::vector<FieldPart> parts;
  // A box that shows the whole stored field as file-order hex, for information;
  // never read back. `displayShowsWritten`: the save puts the written value there.
  QString display{};
  bool displayShowsWritten = false;

  // Whether some box shows the field as hex digits.
  bool hexAccess() const;
};

struct RecordLayout {
  QString what;       // names the data in messages ("机体数据")
  qint64 tableOffset; // 0-based file offset of record 0
  int recordSize;
  int recordCount;
  std::vector<Field> fields; // in offset order

  qint64 recordOffset(int row) const { return tableOffset + qint64(recordSize) * row; }
  qint64 tableEnd() const { return recordOffset(recordCount); }
};

// The stored value of every field of one record, in the order of `fields`.
using RecordValues = std::vector<quint32>;

// The entry range of a decimal part: its own bounds, or what its bits can hold.
qint64 partMinimum(const FieldPart &part, const Field &field);
qint64 partMaximum(const FieldPart &part, const Field &field);
int partBits(const FieldPart &part, const Field &field);

// A window, or code that walks a description, names a control or a field that the
// description does not hold, or a window holds a control of another kind than its
// part needs: the two disagree, which no user can mend. Thrown while the window
// is built, so that it fails there in every build and never later on a save.
class DescriptionMismatch : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

// The field and part that the control named `control` shows; both null when it
// shows none. A window labels a control with the part's caption through these.
struct ControlPart {
  const Field *field = nullptr;
  const FieldPart *part = nullptr;
};
ControlPart findControlPart(const RecordLayout &layout, const QString &control);
// As findControlPart, for a control that must show a part: throws
// DescriptionMismatch when it shows none.
ControlPart requireControlPart(const RecordLayout &layout, const QString &control);
// The caption of the part `control` shows; throws DescriptionMismatch when it shows none.
QString controlCaption(const RecordLayout &layout, const QString &control);

// The objectName of element `index` of a control array ("Text8_3").
QString arrayElementName(const char *name, int index);

// Field makers that keep the table descriptions short.
Field decimalField(const QString &name, int offset, int width, const QString &control,
                   const QString &caption);
Field signedField(const QString &name, int offset, int width, const QString &control,
                  const QString &caption);
Field hexField(const QString &name, int offset, int width, const QString &control,
               const QString &caption);
Field choiceField(const QString &name, int offset, int width, const QString &control,
                  const QString &caption, ChoiceSource choices);

} // namespace korvane
