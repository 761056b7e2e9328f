#include "app/docking.h"

#include <algorithm>

#include "base/scene.h"
#include "float/float_window.h"
#include "panel/control_panel.h"

namespace kelvory {

bool ReadyToRedock(const Scene& scene) { return !scene.st.SequenceBusy && !scene.st.Reeling; }

void Redock(Scene& scene) {
  const double taskbarTop = scene.taskbarTopTwips();
  const double shift = taskbarTop - scene.TaskbarTop;
  scene.TaskbarTop = taskbarTop;

  Form& con = scene.frmCon().form;
  con.move(0, taskbarTop - con.height());
  Form& man = scene.frmMan().form;
  man.move(con.width(), taskbarTop - man.height());
  Form& sea = scene.frmSea().form;
  sea.move(con.width(), taskbarTop - sea.height());
  sea.setWidth(scene.screenWidthTwips());

  // The float keeps its distance from the angler, but never stays beyond a
  // screen that has become narrower.
  if (FloatWindow* uki = scene.frmUkiIfLoaded()) {
    const double rightmost = scene.screenWidthTwips() - 2 * man.width();
    uki->form.move(std::min(uki->form.left(), std::max(rightmost, man.left() + man.width())),
                   uki->form.top() + shift);
    uki->WaterTop += static_cast<std::int32_t>(shift);
  }
  if (GameWindow* marker = scene.frmVIfLoaded()) {
    marker->form.setTop(marker->form.top() + shift);
  }
}

}  // namespace kelvory
