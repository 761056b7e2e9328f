#include "shapes/size_setters.h"

#include "platform/form.h"

namespace kelvory {
namespace {

void SizeTo(Form& window, double height, double width) {
  window.setHeight(height);
  window.setWidth(width);
}

}  // namespace

void SizeTo50x48(Form& window) { SizeTo(window, 720, 750); }
void SizeTo5x21(Form& window) { SizeTo(window, 315, 75); }
void SizeTo21x5(Form& window) { SizeTo(window, 75, 315); }
void SizeTo17x12(Form& window) { SizeTo(window, 180, 255); }
void SizeTo36x36(Form& window) { SizeTo(window, 540, 540); }
void SizeTo31x14(Form& window) { SizeTo(window, 210, 465); }
void SizeTo14x10(Form& window) { SizeTo(window, 150, 210); }

}  // namespace kelvory
