#include "tools/korvane_tool/tool_shared.h"

namespace korvane::tool {

int Tool::tables() {
  out_ << QStringLiteral("表名\t栏目\t文件\t记录数\n");
  for (const CatalogTable &table : tableCatalog())
    placementOf(table);
  for (const CatalogTable &table : tableCatalog())
    out_ << table.key << '\t' << table.section << '\t' << gameFileName(table.file) << '\t'
         << table.recordOffsets(rows_).size() << '\n';
  return finish(kSuccess);
}

} // namespace korvane::tool
