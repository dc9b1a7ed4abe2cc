// korvane-tool: lists, dumps, diffs, imports and patches the game's tables by name.

#include "io/change_history.h"
#include "io/disc_image.h"
#include "io/rollback_journal.h"
#include "tools/korvane_tool/tool_commands.h"
#include "tools/utf8_console.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <cstdio>
#include <new>

namespace {

using namespace korvane;
using namespace korvane::tool;

const char kUsage[] = R"(命令：
  tables                                列出所有表格：表名、主窗口栏目、所在文件、记录数
  dump FILE TABLE [--format csv|json] [--bom] [-o OUT]
                                        导出一个表格的全部记录（TABLE 为 all 时，
                                        每个表格一个文件，写入 -o 指定的文件夹）
  diff ORIGINAL MODIFIED [--format text|csv|json]
                                        列出两个游戏文件不同的栏位；
                                        退出状态 0 相同，1 不同，2 出错
  import FILE TABLE CSV [--dry-run]     把 CSV 中与文件不同的栏位写入 FILE
  patch ORIGINAL MODIFIED -o MOD.bps [--format bps|ips]
                                        把两个文件的字节差异写成补丁：默认 BPS
                                        （带 CRC32 校验），-o 以 .ips 结尾时为 IPS
  patch --check FILE PATCH              检查补丁是否适用于 FILE，列出它会改的栏位
  apply FILE PATCH [--dry-run]          把 BPS 或 IPS 补丁写入 FILE（按补丁开头判断格式）；
                                        BPS 补丁先核对文件的长度和 CRC32
  extract IMAGE DIR                     把光盘镜像里的 SLPS_255.37 和 stage.bin 复制到 DIR
dump、diff、import、apply 可加 --file-kind exe|stage 指定文件种类（默认按文件名判断）。
游戏文件处都可以给出光盘镜像（.iso）：dump、import 按表格取镜像里的文件，
diff 按 --file-kind（或另一个参数的文件名）取；patch 两个镜像时做整个镜像的补丁，
patch、apply 加 --entry SLPS_255.37|stage.bin 时只针对镜像里的这个文件。)";

// The parser's own messages are English; the two it gives for a value say so in
// Chinese, and any other is quoted.
QString parserErrorText(const QString &error) {
  static const QRegularExpression missing(QStringLiteral("^Missing value after '(.+)'\\.$"));
  static const QRegularExpression unexpected(QStringLiteral("^Unexpected value after '(.+)'\\.$"));
  QString message = QStringLiteral("命令行有误（%1）。").arg(error);
  if (const QRegularExpressionMatch match = missing.match(error); match.hasMatch())
    message = QStringLiteral("选项 %1 后面缺少它的值。").arg(match.captured(1));
  else if (const QRegularExpressionMatch match = unexpected.match(error); match.hasMatch())
    message = QStringLiteral("选项 %1 不带值。").arg(match.captured(1));
  return message + QStringLiteral("用 --help 查看用法。");
}

int refuse(QTextStream &err, const QString &message) {
  err << message << Qt::endl;
  return kFailed;
}

// What the command line gave besides the command's name.
struct Invocation {
  QStringList arguments;
  std::optional<QString> format;
  bool bom = false;
  bool dryRun = false;
  bool check = false;
  QString output;
  std::optional<GameFile> kind;  // --file-kind
  std::optional<GameFile> entry; // --entry
  QTextStream &err;
};

// The listing format --format names, `fallback` without it; none (refused) for any
// other word.
std::optional<Format> listingFormat(const Invocation &call, Format fallback, bool textAllowed) {
  if (!call.format)
    return fallback;
  if (*call.format == QLatin1String("csv"))
    return Format::Csv;
  if (*call.format == QLatin1String("json"))
    return Format::Json;
  if (textAllowed && *call.format == QLatin1String("text"))
    return Format::Text;
  refuse(call.err,
         QStringLiteral("--format 应为 %1，而不是“%2”。")
             .arg(textAllowed ? QStringLiteral("text、csv 或 json") : QStringLiteral("csv 或 json"),
                  *call.format));
  return std::nullopt;
}

int runTables(Tool &tool, const Invocation &) { return tool.tables(); }

int runDump(Tool &tool, const Invocation &call) {
  const std::optional<Format> format = listingFormat(call, Format::Csv, false);
  if (!format)
    return kFailed;
  return tool.dump({typedGameFile(call.arguments[0]), call.arguments[1], *format, call.bom,
                    call.output, call.kind});
}

int runDiff(Tool &tool, const Invocation &call) {
  const std::optional<Format> format = listingFormat(call, Format::Text, true);
  if (!format)
    return kFailed;
  return tool.diff(
      {typedGameFile(call.arguments[0]), typedGameFile(call.arguments[1]), *format, call.kind});
}

int runImport(Tool &tool, const Invocation &call) {
  return tool.importCsv({typedGameFile(call.arguments[0]), call.arguments[1], call.arguments[2],
                         call.dryRun, call.kind});
}

int runPatch(Tool &tool, const Invocation &call) {
  if (call.check) {
    if (!call.output.isEmpty() || call.format)
      return refuse(call.err, QStringLiteral("patch --check 只检查补丁，不带 -o 或 --format。"));
    return tool.apply(typedGameFile(call.arguments[0]), call.arguments[1], true,
                      call.entry ? call.entry : call.kind);
  }
  std::optional<PatchFormat> format;
  if (call.format) {
    if (*call.format != QLatin1String("bps") && *call.format != QLatin1String("ips"))
      return refuse(call.err,
                    QStringLiteral("--format 应为 bps 或 ips，而不是“%1”。").arg(*call.format));
    format = *call.format == QLatin1String("bps") ? PatchFormat::Bps : PatchFormat::Ips;
  }
  return tool.patch(typedGameFile(call.arguments[0]), typedGameFile(call.arguments[1]), call.output,
                    format, call.entry);
}

int runApply(Tool &tool, const Invocation &call) {
  return tool.apply(typedGameFile(call.arguments[0]), call.arguments[1], call.dryRun,
                    call.entry ? call.entry : call.kind);
}

int runExtract(Tool &tool, const Invocation &call) {
  return tool.extract(call.arguments[0], call.arguments[1]);
}

struct Command {
  const char *name;
  int arguments;
  QStringList options; // the options it takes, besides --names
  int (*run)(Tool &, const Invocation &);
};

const QList<Command> &commands() {
  static const QList<Command> list{
      {"tables", 0, {}, runTables},
      {"dump", 2, {"format", "bom", "output", "file-kind"}, runDump},
      {"diff", 2, {"format", "file-kind"}, runDiff},
      {"import", 3, {"dry-run", "file-kind"}, runImport},
      {"patch", 2, {"output", "format", "check", "file-kind", "entry"}, runPatch},
      {"apply", 2, {"dry-run", "file-kind", "entry"}, runApply},
      {"extract", 2, {}, runExtract},
  };
  return list;
}

int run(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  // The tool shows no change history: its commits keep no copy of what they write.
  changeHistory().setEnabled(false);
  QCoreApplication::setApplicationName(QStringLiteral("korvane-tool"));
  const korvane::Utf8Console console;
  korvane::setJournalNoticeHandler(
      [](const QString &notice) { QTextStream(stderr) << notice << Qt::endl; });
  QTextStream out(stdout);
  QTextStream err(stderr);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("按表格名导出、比较、导入和修补 SLPS_255.37 与 stage.bin 的数据。\n") +
      QString::fromUtf8(kUsage));
  const QCommandLineOption helpOption(QStringList{"h", "help"}, QStringLiteral("显示这份说明。"));
  const QCommandLineOption format(QStringList{"f", "format"},
                                  QStringLiteral("输出格式：dump 为 csv（默认）或 json；"
                                                 "diff 为 text（默认）、csv 或 json；"
                                                 "patch 为 bps 或 ips（默认按 -o 的扩展名）。"),
                                  QStringLiteral("格式"));
  const QCommandLineOption bom(
      QStringLiteral("bom"),
      QStringLiteral("CSV 开头加 UTF-8 字节顺序标记（供需要它的表格程序）。"));
  const QCommandLineOption output(QStringList{"o", "output"},
                                  QStringLiteral("输出文件（dump all 时为文件夹）。"),
                                  QStringLiteral("路径"));
  const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                  QStringLiteral("只列出会写入的变化，不写入。"));
  const QCommandLineOption names(
      QStringLiteral("names"),
      QStringLiteral("名称列表所在的文件夹（关卡列表在其 data 子文件夹），"
                     "默认是程序所在的文件夹。"),
      QStringLiteral("文件夹"));
  const QCommandLineOption fileKind(QStringLiteral("file-kind"),
                                    QStringLiteral("文件种类 exe 或 stage；默认按文件名判断"
                                                   "（以 .bin 结尾或含 stage 的是 stage.bin）。"),
                                    QStringLiteral("种类"));
  const QCommandLineOption check(
      QStringLiteral("check"),
      QStringLiteral("patch：不制作补丁，只检查补丁 PATCH 是否适用于 FILE。"));
  const QCommandLineOption entry(
      QStringLiteral("entry"),
      QStringLiteral("patch、apply：只针对光盘镜像里的这个文件，SLPS_255.37 或 stage.bin。"),
      QStringLiteral("文件名"));
  const QList<QCommandLineOption> options{format, bom,      output, dryRun,    check,
                                          names,  fileKind, entry,  helpOption};
  parser.addOptions(options);

  if (!parser.parse(app.arguments())) {
    const QStringList unknown = parser.unknownOptionNames();
    return refuse(err, unknown.isEmpty() ? parserErrorText(parser.errorText())
                                         : QStringLiteral("不认识的选项：%1。用 --help 查看用法。")
                                               .arg(unknown.join(QStringLiteral("、"))));
  }
  if (parser.isSet(helpOption)) {
    out << QStringLiteral("用法：korvane-tool 命令 参数 [选项]\n")
        << parser.applicationDescription() << QStringLiteral("\n\n选项：\n");
    for (const QCommandLineOption &option : options) {
      QStringList spelled;
      for (const QString &optionName : option.names())
        spelled << (optionName.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) +
                       optionName;
      QString head = spelled.join(QStringLiteral(", "));
      if (!option.valueName().isEmpty())
        head += QStringLiteral(" <%1>").arg(option.valueName());
      out << QStringLiteral("  ") << head << QStringLiteral("\n      ") << option.description()
          << u'\n';
    }
    return kSuccess;
  }
  QStringList arguments = parser.positionalArguments();
  if (arguments.isEmpty())
    return refuse(err, QStringLiteral("请给出命令。\n") + QString::fromUtf8(kUsage));
  const QString name = arguments.takeFirst();
  const auto command =
      std::find_if(commands().begin(), commands().end(),
                   [&name](const Command &c) { return name == QLatin1String(c.name); });
  if (command == commands().end())
    return refuse(err,
                  QStringLiteral("不认识的命令“%1”。\n").arg(name) + QString::fromUtf8(kUsage));
  if (arguments.size() != command->arguments)
    return refuse(err, QStringLiteral("命令 %1 需要 %2 个参数，给出了 %3 个。\n")
                               .arg(name)
                               .arg(command->arguments)
                               .arg(arguments.size()) +
                           QString::fromUtf8(kUsage));
  for (const QCommandLineOption *option :
       {&format, &bom, &output, &dryRun, &check, &fileKind, &entry})
    if (parser.isSet(*option) && !command->options.contains(option->names().constLast()))
      return refuse(
          err,
          QStringLiteral("选项 --%1 不适用于命令 %2。").arg(option->names().constLast(), name));

  std::optional<GameFile> kind;
  if (parser.isSet(fileKind)) {
    const QString value = parser.value(fileKind);
    if (value != QLatin1String("exe") && value != QLatin1String("stage"))
      return refuse(err, QStringLiteral("--file-kind 应为 exe 或 stage，而不是“%1”。").arg(value));
    kind = value == QLatin1String("exe") ? GameFile::Exe : GameFile::Stage;
  }
  std::optional<GameFile> entryFile;
  if (parser.isSet(entry)) {
    const QString value = parser.value(entry);
    if (value.compare(kExeEntryName, Qt::CaseInsensitive) != 0 &&
        value.compare(kStageEntryName, Qt::CaseInsensitive) != 0)
      return refuse(
          err, QStringLiteral("--entry 应为 SLPS_255.37 或 stage.bin，而不是“%1”。").arg(value));
    entryFile =
        value.compare(kExeEntryName, Qt::CaseInsensitive) == 0 ? GameFile::Exe : GameFile::Stage;
  }
  Invocation call{arguments,
                  parser.isSet(format) ? std::optional(parser.value(format)) : std::nullopt,
                  parser.isSet(bom),
                  parser.isSet(dryRun),
                  parser.isSet(check),
                  parser.value(output),
                  kind,
                  entryFile,
                  err};
  Tool tool(out, err, parser.value(names));
  return command->run(tool, call);
}

} // namespace

// Memory runs out only for a request far beyond the game files (a patch or a
// file of many GB): the command then stops with a message instead of aborting.
// A game file is written only by an operation's commit, which takes its memory
// before the first write; a command stopped before it leaves the file as it was,
// and a commit of several writes is put back from its rollback journal.
int main(int argc, char *argv[]) {
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc &) {
    std::fputs("内存不足，命令没有完成。没有写入任何内容（如果写入已经开始，"
               "下次打开这个文件时会按回滚日志恢复原来的内容）。\n",
               stderr);
    return kFailed;
  }
}
