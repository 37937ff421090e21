// What `quorvane --help` and `quorvane --version` print: answered before any window or instance check.
#pragma once

#include <QString>
#include <QStringList>

namespace CommandLineInfo {

// "Ver2.44": the version the バージョン情報 box shows.
QString VersionText();
// The text for --version (program name and version) and for --help (usage).
QString VersionMessage(const QString& program);
QString HelpMessage();

// Which of the two informational options the arguments ask for (the program name first).
enum class Request { None, Help, Version };
Request Requested(const QStringList& args);

} // namespace CommandLineInfo
