#include "ui/export_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app_state.h"
#include "hwscope/hwscope.h"
#include "ui/control_ids.h"
#include "ui/history_panel.h"
#include "ui/icons.h"
#include "ui/ui_text.h"

namespace ui {

ExportOptionsDialog::ExportOptionsDialog(int device, QWidget* parent) : QDialog(parent) {
  setObjectName("exportOptions");
  setWindowTitle(" Export Options");
  setWindowIcon(AppIcon());
  auto* data = new QGroupBox("Data to Export", this);
  driveInfo_ = Named(new QCheckBox("Drive Information", data), 1042);
  attributes_ = Named(new QCheckBox("S.M.A.R.T Attributes", data), 1050);
  history_ = Named(new QCheckBox("S.M.A.R.T History", data), 1051);
  auto* dataLayout = new QVBoxLayout(data);
  dataLayout->addWidget(driveInfo_);
  dataLayout->addWidget(attributes_);
  dataLayout->addWidget(history_);
  auto* options = new QGroupBox("History Export Options", this);
  all_ = Named(new QRadioButton("All Attributes", options), 1054);
  single_ = Named(new QRadioButton("Single Attribute", options), 1053);
  attribute_ = Named(new QComboBox(options), 1055);
  auto* optionsLayout = new QVBoxLayout(options);
  optionsLayout->addWidget(all_);
  optionsLayout->addWidget(single_);
  optionsLayout->addWidget(attribute_);
  auto* buttons = new QDialogButtonBox(this);
  Named(buttons->addButton("OK", QDialogButtonBox::AcceptRole), 1);
  Named(buttons->addButton("Cancel", QDialogButtonBox::RejectRole), 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(data);
  layout->addWidget(options);
  layout->addWidget(buttons);

  single_->setChecked(true);
  all_->setEnabled(false);
  single_->setEnabled(false);
  attribute_->setEnabled(false);
  attribute_->setMinimumWidth(260);
  attributeIds_ = FillAttributeChoice(attribute_, device);
  connect(history_, &QCheckBox::toggled, this, &ExportOptionsDialog::UpdateEnabled);
  connect(single_, &QRadioButton::toggled, this, [this] { attribute_->setEnabled(single_->isChecked()); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ExportOptionsDialog::UpdateEnabled() {
  bool on = history_->isChecked();
  all_->setEnabled(on);
  single_->setEnabled(on);
  if (on) attribute_->setEnabled(single_->isChecked());
}

int ExportOptionsDialog::Choice() const {
  int flags = (driveInfo_->isChecked() ? kExportDriveInfo : 0) |
              (attributes_->isChecked() ? kExportAttributes : 0) |
              (history_->isChecked() ? kExportHistory : 0);
  int index = attribute_->currentIndex();
  if (single_->isChecked() && index >= 0 && index < static_cast<int>(attributeIds_.size()))
    flags |= (attributeIds_[static_cast<size_t>(index)] & 0xFFFF) << 16;
  return flags;
}

int ExportOptionsDialog::Run() { return exec() == QDialog::Accepted ? Choice() : kExportCancel; }

bool ChooseSaveFile(QWidget* owner, QString* path) {
  QString chosen = QFileDialog::getSaveFileName(owner, "Save file", *path, "Text Files (*.txt)");
  if (chosen.isEmpty()) return false;
  *path = chosen;
  return true;
}

int WriteReport(const QString& path, int device, int choice) {
  std::wstring header = appcore::LocFormat(sw::MISC_PROGRAM_INFO_STRING_REPORT, appcore::kProductName,
                                           appcore::kProductVersion, appcore::kProductBuild) +
                        L"\n";
  std::wstring file = W(path);
  int rc = HwscopeDll_Smart_ExportReport(file.c_str(), device, header.c_str(),
                                         static_cast<int>(header.size()), choice & 0xFFFF,
                                         (choice >> 16) & 0xFFFF);
  if (rc != 0)
    Message(rc == HWSCOPE_E_NOT_SMART ? sw::ERROR_EXPORTING_REPORT_NOT_SMART : sw::ERROR_EXPORTING_REPORT,
            sw::MB_TITLE_EXPORT_REPORT_ERROR, appcore::MessageIcon::Warning);
  return rc;
}

}  // namespace ui
