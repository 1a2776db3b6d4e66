#include "platform/qt/qt_shell.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

namespace kalvor {

std::string_view QtShell::VerbName(std::int32_t verb) {
  switch (verb) {
    case 1:
      return "edit";
    case 2:
      return "explore";
    case 3:
      return "find";
    case 4:
      return "open";
    case 5:
      return "print";
    default:
      return "";
  }
}

bool QtShell::IsWebAddress(std::string_view target) {
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
  const QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size()));
  return scheme.match(text).hasMatch() ||
         text.startsWith(QStringLiteral("www."), Qt::CaseInsensitive) ||
         text.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive);
}

std::int32_t QtShell::Execute(std::int32_t verb, std::string_view target,
                              std::string_view parameters, std::string_view folder,
                              const std::function<void(const std::string&)>& openUrl,
                              const std::function<void(const std::string&)>& record) {
  const std::string_view name = VerbName(verb);
  if (target.empty()) return kFileNotFound;
  if (IsWebAddress(target)) {
    if (name != "" && name != "open") return kNoAssociation;
    openUrl(std::string(target));
    return kSuccess;
  }

  const QString base =
      folder.empty() ? QDir::currentPath() : QString::fromStdString(std::string(folder));
  const QFileInfo file(QDir(base), QString::fromStdString(std::string(target)));
  if (!file.exists()) return kFileNotFound;
  const QString path = file.absoluteFilePath();

  QString program = QStringLiteral("xdg-open");
  QStringList arguments{path};
  if (name == "explore" || name == "find") {
    arguments = {file.isDir() ? path : file.absolutePath()};
  } else if (name == "print") {
    program = QStringLiteral("lp");
  } else if ((name == "" || name == "open") && file.isFile() && file.isExecutable()) {
    program = path;
    arguments = QProcess::splitCommand(
        QString::fromUtf8(parameters.data(), static_cast<qsizetype>(parameters.size())));
  }

  if (record) {
    // What would be opened: the file, the folder, or the program that would be started.
    record(program == path ? path.toStdString() : arguments.front().toStdString());
    return kSuccess;
  }
  return QProcess::startDetached(program, arguments, base) ? kSuccess : kNoAssociation;
}

}  // namespace kalvor
