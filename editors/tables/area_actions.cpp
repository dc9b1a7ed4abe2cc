#include "editors/tables/area_actions.h"

#include "editors/shared/game_paths.h"
#include "editors/shared/messages.h"
#include "editors/shared/record_actions.h"

namespace korvane {

bool showArea(QWidget *window, RecordBinder &binder) {
  return showRecord(window, gamePaths().ExePath, binder, binder.layout().tableOffset);
}

bool saveArea(QWidget *window, RecordBinder &binder, bool shown) {
  if (!shown) {
    showMessage(window, QStringLiteral("打开本窗口时没能读出%1，所以不会写入任何内容。\n"
                                       "请确认打开的是正确的游戏文件，然后重新进入本窗口。")
                            .arg(binder.layout().what));
    return false;
  }
  return saveRecord(window, gamePaths().ExePath, binder, binder.layout().tableOffset);
}

} // namespace korvane
