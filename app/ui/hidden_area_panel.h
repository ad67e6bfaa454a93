// Tab 4: the hidden area: user, native and disk maximum addresses (1069,
// 1070, 1071), HPA and DCO sizes (1072, 1073), the "modify" check box
// (1042), Apply (1074) and the status line (1075).
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace ui {

class HiddenAreaPanel : public QWidget {
  Q_OBJECT
 public:
  explicit HiddenAreaPanel(QWidget* parent = nullptr);

  // No device: fields empty, check box cleared and disabled.
  void Clear();
  void Fill(int device);

 public slots:
  void Apply();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnModify(bool checked);

  int device_ = -1;
  QCheckBox* modify_;
  QLineEdit* user_;
  QLineEdit* native_;
  QLineEdit* disk_;
  QLineEdit* hpa_;
  QLineEdit* dco_;
  QLabel* userLabel_;
  QLabel* nativeLabel_;
  QLabel* diskLabel_;
  QLabel* info_;
  QLabel* hpaLabel_;
  QLabel* dcoLabel_;
  QPushButton* apply_;
  QLabel* status_;
};

}  // namespace ui
