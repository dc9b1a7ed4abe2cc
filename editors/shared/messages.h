#pragma once

// The modal messages of every window: an OK message and an OK/Cancel question.

#include <QString>

class QWidget;

namespace korvane {

void showMessage(QWidget *parent, const QString &text);
// True when the user pressed OK.
bool askOkCancel(QWidget *parent, const QString &text);

} // namespace korvane
