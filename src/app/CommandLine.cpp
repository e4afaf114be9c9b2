#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>

#include "app/Application.h"

namespace kestrine::app {

namespace {

// Options that QApplication takes out of the command line itself; they are declared so that
// they are not refused, and hidden from the usage text.
struct QtOption {
  const char* name;
  bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true},
    {"qwindowtitle", true},    {"session", true},
    {"display", true},         {"geometry", true},
    {"style", true},           {"stylesheet", true},
    {"qmljsdebugger", true},   {"reverse", false},
    {"widgetcount", false},    {"nograb", false},
    {"dograb", false},         {"sync", false},
};

QString ProgramName(const QStringList& arguments) {
  const QString name = arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).fileName();
  return name.isEmpty() ? QStringLiteral("kestrine") : name;
}

// The option as the user typed it ("-x", "--xyz"), without a value after "=".
QString AsTyped(const QStringList& arguments, const QString& name) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    QString option = arguments[i].section(u'=', 0, 0);
    qsizetype dashes = 0;
    while (dashes < option.size() && option[dashes] == u'-') ++dashes;
    if (dashes > 0 && option.mid(dashes) == name) return option;
  }
  return QStringLiteral("--") + name;
}

QString UsageText(const QString& program, const QString& helpLocation) {
  QString text = QStringLiteral(
                     "使い方: %1 [オプション]\n"
                     "表計算ソフトで開いているブックとシートを一覧にし、シートやブックマークしたセ"
                     "ルへ移動します。\n"
                     "\n"
                     "オプション:\n"
                     "  -h, --help     この説明を表示して終了します。\n"
                     "  -v, --version  バージョンを表示して終了します。\n")
                     .arg(program);
  if (!helpLocation.isEmpty()) text += QStringLiteral("\nヘルプ: %1\n").arg(helpLocation);
  return text;
}

}  // namespace

CommandLineOutcome ParseCommandLine(const QStringList& arguments, const QString& version,
                                    const QString& helpLocation) {
  QCommandLineParser parser;
  // Qt's options are single-dash words ("-platform offscreen").
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption showVersion(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  parser.addOption(help);
  parser.addOption(showVersion);
  for (const QtOption& qt : kQtOptions) {
    QCommandLineOption option(QString::fromLatin1(qt.name));
    if (qt.takesValue) option.setValueName(QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }

  const QString program = ProgramName(arguments);
  const QString hint = QStringLiteral("使い方は「%1 --help」で表示します。\n").arg(program);
  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    QString text;
    if (!unknown.isEmpty()) {
      text = QStringLiteral("%1: 不明なオプション「%2」です。\n")
                 .arg(program, AsTyped(arguments, unknown.first()));
    } else {
      // A Qt option without its value, or a value after an option that takes none: the
      // parser names the option between quotes.
      const QString error = parser.errorText();
      const qsizetype open = error.indexOf(u'\'');
      const qsizetype close = error.lastIndexOf(u'\'');
      const QString name =
          open >= 0 && close > open ? error.mid(open + 1, close - open - 1) : error;
      text = error.startsWith(QStringLiteral("Missing"))
                 ? QStringLiteral("%1: オプション「%2」に値がありません。\n").arg(program, name)
                 : QStringLiteral("%1: オプション「%2」は値を取りません。\n").arg(program, name);
    }
    return {false, 2, text + hint, true};
  }
  if (parser.isSet(help)) return {false, 0, UsageText(program, helpLocation), false};
  if (parser.isSet(showVersion)) {
    return {false, 0, QStringLiteral("%1 %2\n").arg(kApplicationTitle, version), false};
  }
  if (!parser.positionalArguments().isEmpty()) {
    return {false, 2,
            QStringLiteral("%1: 引数「%2」は使えません。このプログラムは引数を取りません。\n")
                    .arg(program, parser.positionalArguments().first()) +
                hint,
            true};
  }
  return {};
}

}  // namespace kestrine::app
