#include "records/popup_menu.h"

#include "base/scene.h"
#include "records/certificate.h"
#include "records/history.h"
#include "records/version.h"

namespace kelvory {
namespace {

enum Item { kFishList, kSep002, kVer, kSep001, kComplete, kSepX, kEnd };

WindowDesc MenuDesc() { return {.name = "frmMenu", .frame = Frame::Hidden, .caption = "Form1"}; }

std::vector<MenuItemDesc> Items() {
  return {{"mFishList", "釣果履歴", true},
          {"sep002", "-", true},
          {"mver", "バージョン情報", true},
          {"sep001", "-", true},
          {"mComplete", "認定書を見る！", false},
          {"sepx", "-", false},
          {"mend", "終了", true}};
}

}  // namespace

PopupMenu::PopupMenu(Scene& s)
    : GameWindow(s, MenuDesc()), mpop_(scene.desktop.createMenu(form.id(), Items())) {}

void PopupMenu::setCompleteVisible(bool visible) {
  completeVisible_ = visible;
  scene.desktop.setMenuItemVisible(mpop_, kComplete, visible);
  scene.desktop.setMenuItemVisible(mpop_, kSepX, visible);
}

void PopupMenu::popup() {
  const std::optional<int> chosen = scene.desktop.popupMenu(mpop_);
  if (!chosen) return;
  switch (*chosen) {
    case kFishList:
      mFishList();
      break;
    case kVer:
      mver();
      break;
    case kComplete:
      if (completeVisible_) mComplete();
      break;
    case kEnd:
      mend();
      break;
    default:
      break;
  }
}

void PopupMenu::mFishList() {
  HistoryWindow& list = scene.frmList();
  list.form.showModal();
  scene.desktop.waitUntil(Desktop::kNever, [&list] { return !list.alive(); });
}

void PopupMenu::mver() {
  VersionWindow& version = scene.frmVersion();
  version.form.showModal();
  scene.desktop.waitUntil(Desktop::kNever, [&version] { return !version.alive(); });
}

void PopupMenu::mComplete() {
  CertificateWindow& certificate = scene.frmComplete();
  if (certificate.form.visible()) {
    certificate.form.bringToFront();
  } else {
    certificate.form.show();
  }
}

void PopupMenu::mend() {
  if (!scene.catches.SaveCatchCounts()) {
    scene.desktop.messageBox(kNotSavedMessage, MsgButtons::Ok, MsgIcon::Warning);
  }
  scene.end();
}

}  // namespace kelvory
