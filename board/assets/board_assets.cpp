#include "board/assets/board_assets.h"

#include <QFile>
#include <QString>

#include "board/main_window_form.h"

namespace kalvor {

std::vector<std::string> BoardAssets::Missing() {
  std::vector<std::string> missing;
  for (std::string_view path : {MainWindowForm::kIconResource, MainWindowForm::kTopBannerResource,
                                MainWindowForm::kBottomBannerResource}) {
    const QString name = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    if (!QFile::exists(name)) missing.emplace_back(path);
  }
  return missing;
}

}  // namespace kalvor
