#include "editors/shared/sections.h"

namespace korvane {

const QStringList &sectionTexts() {
  static const QStringList texts{
      QStringLiteral("机体&武器"),    QStringLiteral("人物"),           QStringLiteral("强化部件"),
      QStringLiteral("防御力场"),     QStringLiteral("小队长能力变更"), QStringLiteral("主角精神"),
      QStringLiteral("机师特技养成"), QStringLiteral("机师特技补正"),   QStringLiteral("底力补正"),
      QStringLiteral("改造相关"),     QStringLiteral("系统相关"),       QStringLiteral("敌军配置"),
      QStringLiteral("我方配置")};
  Q_ASSERT(texts.size() == sectionRow(Section::AllyDeployment) + 1);
  return texts;
}

QString sectionText(Section section) { return sectionTexts()[sectionRow(section)]; }

} // namespace korvane
