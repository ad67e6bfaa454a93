#include "ui/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app_state.h"
#include "core/text_format.h"
#include "hwscope/hwscope.h"
#include "ui/control_ids.h"
#include "ui/icons.h"
#include "ui/ui_text.h"

namespace ui {

QString AboutText() {
  const wchar_t* library = HwscopeDll_GetVersion();
  return Q(appcore::FormatText(L"%s %s Build: %s\nbuilt with %s", appcore::kProductName,
                               appcore::kProductVersion, appcore::kProductBuild,
                               library ? library : L"")) +
         "\n\nCorvane Software\n" + Q(appcore::kHomePageUrl);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("about");
  setWindowTitle(Tr(sw::BUTTON_TEXT_ABOUT));
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(48, 48));
  auto* text = new QLabel(AboutText(), this);
  text->setObjectName("aboutText");
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* ok = Named(new QPushButton("OK", this), 1);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addSpacing(12);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace ui
