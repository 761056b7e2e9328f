#pragma once

namespace kelvory {

class Form;

// Each sets the window's Height, then its Width, to its picture's size at
// 15 twips per pixel.
void SizeTo50x48(Form& window);
void SizeTo5x21(Form& window);
void SizeTo21x5(Form& window);
void SizeTo17x12(Form& window);
void SizeTo36x36(Form& window);
void SizeTo31x14(Form& window);
void SizeTo14x10(Form& window);

}  // namespace kelvory
