// Controls placed on a tab page. Their coordinates count from the tab control's own top-left
// corner, header included, so they are children of the tab widget itself (not of its page),
// stacked above the pages and shown only while their page is the current one.
#pragma once

#include <QTabWidget>
#include <QWidget>

namespace kalvor {

class QtTabChildren {
 public:
  // Makes child (already a child of tab) belong to page (counted from 1).
  static void Adopt(QTabWidget* tab, QWidget* child, int page);
  static bool IsTabChild(const QWidget* child);
  // The control's own visibility; it shows only while its page is current as well.
  static void SetShown(QWidget* child, bool shown);

 private:
  static void Update(QTabWidget* tab);
  static void UpdateChild(QTabWidget* tab, QWidget* child);
};

}  // namespace kalvor
