// The device list (1009): drives in two groups, "SMART enabled" with the
// drive icon and "other devices" with the warning icon; one selection
// across both; F5 asks for a refresh.
#pragma once

#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QWidget>
#include <vector>

namespace ui {

class DeviceList : public QWidget {
  Q_OBJECT
 public:
  explicit DeviceList(QWidget* parent = nullptr);

  void Clear();
  // Adds a row to group 0 (SMART) or 1 (other); returns its row number.
  int AddDevice(int group, const QString& text, int device);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int DeviceOfRow(int row) const;
  int GroupOfRow(int row) const;
  QString TextOfRow(int row) const;
  // -1 for none.
  int SelectedRow() const { return selected_; }
  // Selects a row (or none) without announcing it.
  void SelectRow(int row);
  QListWidget* GroupList(int group) const { return lists_[group]; }

 signals:
  // The user selected a row (or cleared the selection: -1).
  void rowSelected(int row);
  void refreshRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Row {
    int group;
    int device;
    QListWidgetItem* item;
  };
  void OnSelection(int group);
  void UpdateGroups();

  QLabel* titles_[2];
  QListWidget* lists_[2];
  std::vector<Row> rows_;
  int selected_ = -1;
  bool quiet_ = false;
};

}  // namespace ui
