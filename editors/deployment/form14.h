#pragma once

// The ally deployment editor: a stage's ally records, each with its unit (or an
// empty slot), pilot (or none), upgrade steps, pilot level, kills and PP, and
// whether it joins after the stage. A save of a record that was an empty slot may
// mark the next record as one.

#include "editors/deployment/deployment_window.h"

namespace korvane {

class Form14 : public DeploymentWindow {
  Q_OBJECT
public:
  explicit Form14(QWidget *parent = nullptr);

private:
  void Command2_Click() override;
  bool confirmMark(int record, quint32 nextUnitCode);
};

} // namespace korvane
