#include "ui/hidden_area_panel.h"

#include <QRegularExpressionValidator>

#include "ui/control_ids.h"
#include "ui/device_queries.h"
#include "ui/hidden_area.h"
#include "ui/ui_text.h"

namespace ui {

namespace {
QLineEdit* AddressEdit(int id, QWidget* parent) {
  auto* edit = Named(new QLineEdit(parent), id);
  edit->setReadOnly(true);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,20}"), edit));
  return edit;
}
QString AddressText(bool known, std::uint64_t value) {
  return known ? QString::number(value) : Tr(sw::MISC_NA);
}
std::uint64_t ReadNumber(const QLineEdit* edit) {
  std::uint64_t v = 0;
  return ParseAddress(W(edit->text()), &v) ? v : 0;
}
}  // namespace

HiddenAreaPanel::HiddenAreaPanel(QWidget* parent) : QWidget(parent) {
  modify_ = Named(new QCheckBox(Tr(sw::HA_TAB_MODIFY), this), 1042);
  user_ = AddressEdit(1069, this);
  native_ = AddressEdit(1070, this);
  disk_ = AddressEdit(1071, this);
  userLabel_ = Named(new QLabel(Tr(sw::HA_TAB_MAX_USER), this), 1082);
  nativeLabel_ = Named(new QLabel(Tr(sw::HA_TAB_MAX_NATIVE), this), 1083);
  diskLabel_ = Named(new QLabel(Tr(sw::HA_TAB_MAX_DISK), this), 1084);
  info_ = Named(new QLabel(Tr(sw::HA_TAB_INFO_TEXT), this), 1085);
  info_->setWordWrap(true);
  hpaLabel_ = Named(new QLabel(Tr(sw::HA_TAB_HPA_SIZE), this), 1086);
  dcoLabel_ = Named(new QLabel(Tr(sw::HA_TAB_DCO_SIZE), this), 1087);
  hpa_ = Named(new QLineEdit(this), 1072);
  dco_ = Named(new QLineEdit(this), 1073);
  hpa_->setReadOnly(true);
  dco_->setReadOnly(true);
  apply_ = Named(new QPushButton(Tr(sw::BUTTON_TEXT_APPLY), this), 1074);
  apply_->setEnabled(false);
  status_ = Named(new QLabel(this), 1075);
  status_->setWordWrap(true);
  modify_->setEnabled(false);
  connect(modify_, &QCheckBox::toggled, this, &HiddenAreaPanel::OnModify);
  connect(apply_, &QPushButton::clicked, this, &HiddenAreaPanel::Apply);
}

void HiddenAreaPanel::resizeEvent(QResizeEvent*) {
  int w = width();
  int editX = 190, editW = std::min(240, std::max(120, w - editX - 12));
  modify_->setGeometry(12, 12, w - 24, 24);
  QLabel* labels[] = {userLabel_, nativeLabel_, diskLabel_};
  QLineEdit* edits[] = {user_, native_, disk_};
  for (int i = 0; i < 3; ++i) {
    labels[i]->setGeometry(12, 48 + i * 34, editX - 20, 26);
    edits[i]->setGeometry(editX, 48 + i * 34, editW, 26);
  }
  info_->setGeometry(12, 156, w - 24, 48);
  hpaLabel_->setGeometry(12, 212, editX - 20, 26);
  hpa_->setGeometry(editX, 212, editW, 26);
  dcoLabel_->setGeometry(12, 246, editX - 20, 26);
  dco_->setGeometry(editX, 246, editW, 26);
  apply_->setGeometry(editX, 286, 120, 30);
  status_->setGeometry(12, 326, w - 24, 48);
}

void HiddenAreaPanel::Clear() {
  device_ = -1;
  for (QLineEdit* e : {user_, native_, disk_, hpa_, dco_}) e->clear();
  status_->clear();
  modify_->setChecked(false);
  modify_->setEnabled(false);
}

void HiddenAreaPanel::Fill(int device) {
  device_ = device;
  modify_->setChecked(false);
  status_->clear();
  HiddenAreaState s = ReadHiddenArea(device);
  user_->setText(AddressText(s.haveUser, s.user));
  native_->setText(AddressText(s.haveNative, s.native));
  disk_->setText(AddressText(s.haveDisk, s.disk));
  hpa_->setText(Q(HpaSizeText(s)));
  dco_->setText(Q(DcoSizeText(s)));
  modify_->setEnabled(s.haveNative && s.native != 0 && s.userSectors != 0);
}

void HiddenAreaPanel::OnModify(bool checked) {
  std::uint64_t native = ReadNumber(native_);
  std::uint64_t disk = ReadNumber(disk_);
  user_->setReadOnly(!(checked && native != 0));
  native_->setReadOnly(!(checked && disk != 0));
  disk_->setReadOnly(true);
  apply_->setEnabled(checked);
}

void HiddenAreaPanel::Apply() {
  if (device_ < 0) return;
  status_->clear();
  std::uint64_t user = ReadNumber(user_), native = ReadNumber(native_), disk = ReadNumber(disk_);
  // Checks that need no drive access come first, so a refused request never
  // asks for confirmation.
  if (disk != 0 && native > disk) {
    status_->setText(Tr(sw::ERROR_MAX_NATIVE_GREATER_MAX_DISK));
    return;
  }
  if (user > native) {
    status_->setText(Tr(sw::ERROR_MAX_USER_GREATER_MAX_NATIVE));
    return;
  }
  // Changing the addresses hides (or reveals) the end of the drive: the
  // user confirms the exact new values first.
  HiddenAreaState before = ReadHiddenArea(device_);
  std::wstring model;
  ReadModelNumber(device_, &model);
  std::wstring text = appcore::LocText(sw::HA_TAB_INFO_TEXT) + L"\n\n" + model + L"\n" +
                      appcore::LocText(sw::HA_TAB_MAX_USER) + L" " +
                      (before.haveUser ? std::to_wstring(before.user) : L"?") + L" -> " +
                      std::to_wstring(user) + L"\n" + appcore::LocText(sw::HA_TAB_MAX_NATIVE) +
                      L" " + (before.haveNative ? std::to_wstring(before.native) : L"?") +
                      L" -> " + std::to_wstring(native);
  if (before.haveUser && before.bytesPerSector != 0) {
    double oldBytes = static_cast<double>(before.user + 1) * before.bytesPerSector;
    double newBytes = static_cast<double>(user + 1) * before.bytesPerSector;
    text += L"\n\n" + appcore::LocText(sw::DI_LIST_DEVICE_CAP) + L": " + SizeText(oldBytes) + L" -> " +
            SizeText(newBytes);
    if (user < before.user)
      text += L"\n" + appcore::LocText(sw::HA_TAB_HPA_SIZE) + L" +" + SizeText(oldBytes - newBytes);
  }
  if (Message(text, appcore::LocText(sw::MISC_WARNING), appcore::MessageIcon::Warning,
              appcore::MessageButtons::OkCancel) != appcore::MessageAnswer::Ok)
    return;
  sw::AppKey result = ApplyHiddenArea(device_, user, native, disk);
  // The fields keep the requested values until the device is shown again.
  status_->setText(Tr(result));
}

}  // namespace ui
