// The About box: product, version, build and the library it was built with.
#pragma once

#include <QDialog>

namespace ui {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

// "Spindlewatch V3.5 Build: 1004\nbuilt with <library version>" and the
// maker's lines.
QString AboutText();

}  // namespace ui
