#include "platform/qt/qt_tab_children.h"

#include <QVariant>

namespace kalvor {

namespace {
constexpr const char* kPage = "kalvorTabPage";
constexpr const char* kShown = "kalvorTabShown";
constexpr const char* kHooked = "kalvorTabHooked";
}  // namespace

void QtTabChildren::Adopt(QTabWidget* tab, QWidget* child, int page) {
  child->setProperty(kPage, page);
  if (!child->property(kShown).isValid()) child->setProperty(kShown, true);
  child->raise();
  if (!tab->property(kHooked).toBool()) {
    tab->setProperty(kHooked, true);
    QObject::connect(tab, &QTabWidget::currentChanged, tab, [tab](int) { Update(tab); });
  }
  UpdateChild(tab, child);
}

bool QtTabChildren::IsTabChild(const QWidget* child) {
  return child != nullptr && child->property(kPage).isValid();
}

void QtTabChildren::SetShown(QWidget* child, bool shown) {
  child->setProperty(kShown, shown);
  if (auto* tab = qobject_cast<QTabWidget*>(child->parentWidget())) UpdateChild(tab, child);
}

void QtTabChildren::Update(QTabWidget* tab) {
  for (QObject* object : tab->children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (child != nullptr && IsTabChild(child)) UpdateChild(tab, child);
  }
}

void QtTabChildren::UpdateChild(QTabWidget* tab, QWidget* child) {
  const int page = child->property(kPage).toInt();
  const bool shown = child->property(kShown).toBool();
  child->setVisible(shown && page - 1 == tab->currentIndex());
}

}  // namespace kalvor
