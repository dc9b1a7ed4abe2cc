#include "editors/shared/list_rows.h"

#include <QDir>

namespace korvane {

ListRows::ListRows(QString dir) : dir_(std::move(dir)) {}

const NameListResult &ListRows::read(const NameListFile &list) {
  auto found = nameLists_.find(&list);
  if (found != nameLists_.end())
    return *found;
  const NameListResult result =
      dir_.isEmpty()
          ? readNameList(list)
          : readNameListFrom(QDir(dir_).filePath(QString::fromLatin1(list.fileName)), list.count);
  if (!result.sound())
    problems_.append(result.problem());
  return *nameLists_.insert(&list, result);
}

const QStringList &ListRows::rowsOf(const ChoiceSource &source) {
  static const QStringList none;
  const QStringList &listed = source.fixedRows  ? *source.fixedRows
                              : source.nameList ? nameList(*source.nameList)
                                                : none;
  if (source.lastRowCode < 0)
    return listed;
  auto found = withLastRow_.find(&source);
  if (found == withLastRow_.end())
    found = withLastRow_.insert(&source, listed + QStringList{source.lastRowText});
  return *found;
}

} // namespace korvane
