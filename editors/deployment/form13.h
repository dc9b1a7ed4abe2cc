#pragma once

// The enemy deployment editor: a stage's enemy records, each with its unit, pilot,
// order of appearance, squad, upgrade steps, pilot level and kills, and chip.

#include "editors/deployment/deployment_window.h"

namespace korvane {

class Form13 : public DeploymentWindow {
  Q_OBJECT
public:
  explicit Form13(QWidget *parent = nullptr);

private:
  void Command2_Click() override;
};

} // namespace korvane
