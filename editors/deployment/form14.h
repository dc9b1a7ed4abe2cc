#pragma once

// The ally deployment editor: a stage's ally records, each with its unit (or an
// empty slot), pilot (or none), upgrade steps, pilot level, kills and PP, and
// whether it joins after the stage. A save of a record that was an empty slot may
// mark the next record as one.

#include "editors/deployment/deployment_window.h"
#include "io/module1.h"

#include <optional>

namespace korvane {

class Form14 : public DeploymentWindow {
  Q_OBJECT
public:
  explicit Form14(QWidget *parent = nullptr);

private:
  // What a save of a record finds in the file: whether it marks the next record as
  // an empty slot, and the unit code that record holds then.
  struct MarkCheck {
    bool mark = false;
    quint32 nextUnit = kNoneCode;
    bool operator==(const MarkCheck &) const = default;
  };

  void Command2_Click() override;
  std::optional<MarkCheck> checkMark(Module1::Operation &op, int stage, int record,
                                     quint32 savedPilot);
  bool confirmMark(int record, quint32 nextUnitCode);
};

} // namespace korvane
