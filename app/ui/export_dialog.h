// Export: the options dialog (what to put in the report), the save dialog
// and the report written by the library.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QRadioButton>
#include <vector>

namespace ui {

// Result of the options dialog when cancelled.
inline constexpr int kExportCancel = 101;
// Content flags in the low 16 bits of the options result.
inline constexpr int kExportDriveInfo = 1;
inline constexpr int kExportAttributes = 2;
inline constexpr int kExportHistory = 4;

class ExportOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  ExportOptionsDialog(int device, QWidget* parent = nullptr);
  // Runs the dialog: flags | attribute << 16, or kExportCancel.
  int Run();
  // The result of the dialog's current state (as OK would give it).
  int Choice() const;

 private:
  void UpdateEnabled();

  QCheckBox* driveInfo_;
  QCheckBox* attributes_;
  QCheckBox* history_;
  QRadioButton* all_;
  QRadioButton* single_;
  QComboBox* attribute_;
  std::vector<int> attributeIds_;
};

// The save dialog; path holds the initial name and receives the choice.
bool ChooseSaveFile(QWidget* owner, QString* path);

// Writes the report of device to path with the options result; shows the
// library's failure. Returns the library's result.
int WriteReport(const QString& path, int device, int choice);

}  // namespace ui
