// Tab 0: the device information list (1013).
#pragma once

#include <QTreeWidget>
#include <QWidget>
#include <string>
#include <vector>

namespace ui {

class DeviceInfoPanel : public QWidget {
  Q_OBJECT
 public:
  explicit DeviceInfoPanel(QWidget* parent = nullptr);

  // One row DI_LIST_SELECT_DISK.
  void ShowNoDevice();
  void Clear();
  // Fills the rows of device; false (list empty) when its device info
  // record cannot be read. problem colours the status row orange.
  bool Fill(int device, const std::wstring& status, bool problem);
  // Puts the five activity texts into the value column.
  void SetActivityTexts(const std::vector<std::wstring>& texts);
  int FirstActivityRow() const { return firstActivityRow_; }
  QTreeWidget* List() const { return list_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QTreeWidget* list_;
  int firstActivityRow_ = -1;
};

}  // namespace ui
