#pragma once

// The rows of a small table description, as the part, field and ability tables
// write them: each field a typed decimal number or the row of a fixed pick list.

#include "editors/shared/record_layout.h"

#include <QStringList>
#include <initializer_list>
#include <vector>

namespace korvane {

struct DescribedField {
  const char *name;                          // the field's name in the game's table
  int offset;                                // within the record
  int width;                                 // 1 or 2 bytes
  const char *control;                       // the control's objectName
  const char *caption;                       // UTF-8; the heading over the control
  const QStringList &(*choices)() = nullptr; // the pick list; null for a number
};

// The fields in the order given, which is offset order.
std::vector<Field> describedFields(std::initializer_list<DescribedField> rows);

} // namespace korvane
