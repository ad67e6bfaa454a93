// Tab 2: the recorded history of one attribute: the attribute choice
// (1045), the found/displayed counters (1047, 1048) and the list (1015).
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QTreeWidget>
#include <QWidget>
#include <vector>

namespace ui {

class HistoryPanel : public QWidget {
  Q_OBJECT
 public:
  explicit HistoryPanel(QWidget* parent = nullptr);

  // Empty choice, empty list, counters "0".
  void Clear();
  // Attribute names of device into the choice (first selected), then the
  // history of the first.
  void Fill(int device);
  // History of attribute for the current device.
  void FillHistory(int attribute);
  // Identifiers in the order of the choice (shared with the export dialog).
  const std::vector<int>& AttributeIds() const { return attributeIds_; }
  QTreeWidget* List() const { return list_; }

  // Most records listed, newest first.
  static constexpr int kMaxDisplayed = 1000;
  // Room prepared for the records of one attribute.
  static constexpr unsigned kCapacity = 256000;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnChoice(int index);
  void OneRow(const QString& text);

  int device_ = -1;
  std::vector<int> attributeIds_;
  QComboBox* choice_;
  QLabel* found_;
  QLabel* displayed_;
  QLabel* foundLabel_;
  QLabel* displayedLabel_;
  QTreeWidget* list_;
};

// Fills choice with the attribute names of device and returns their
// identifiers in the same order.
std::vector<int> FillAttributeChoice(QComboBox* choice, int device);

}  // namespace ui
