#include "tools/korvane_tool/tool_shared.h"

namespace korvane::tool {

int Tool::diff(const DiffRequest &request) {
  if (namesImage(request.original) || namesImage(request.modified)) {
    // The entry compared is the one --file-kind names, or else the game file the
    // plain argument is, or else SLPS_255.37.
    const GameFileRef &plain = namesImage(request.original) ? request.modified : request.original;
    const GameFile kind =
        request.kind.value_or(namesImage(plain) ? GameFile::Exe : guessFileKind(plain));
    return diff(
        {entryIn(request.original, kind), entryIn(request.modified, kind), request.format, kind});
  }
  const std::optional<QByteArray> before = readGameFile(request.original);
  if (!before)
    return kFailed;
  const std::optional<QByteArray> after = readGameFile(request.modified);
  if (!after)
    return kFailed;
  const GameFile kind = request.kind.value_or(guessFileKind(request.original));
  for (const CatalogTable &table : tableCatalog())
    if (table.file == kind)
      placementOf(table);
  for (const CatalogTable &table : tableCatalog())
    if (table.file == kind && (!tableFits(table, request.original, before->size()) ||
                               !tableFits(table, request.modified, after->size())))
      return kFailed;

  const qsizetype length = std::min(before->size(), after->size());
  const bool bytesDiffer = listChanges(kind, QByteArrayView(*before).first(length),
                                       QByteArrayView(*after).first(length), request.format);
  const bool sizesDiffer = before->size() != after->size();
  if (sizesDiffer && request.format == Format::Text)
    out_ << QStringLiteral("文件长度不同：%1 字节 → %2 字节\n")
                .arg(before->size())
                .arg(after->size());
  if (finish(kSuccess) != kSuccess)
    return kFailed;
  if (sizesDiffer && request.format != Format::Text)
    err_ << QStringLiteral("文件长度不同：%1 字节 → %2 字节").arg(before->size()).arg(after->size())
         << Qt::endl;
  return !bytesDiffer && !sizesDiffer ? kSuccess : kDiffers;
}

} // namespace korvane::tool
