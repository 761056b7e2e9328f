#pragma once

namespace kelvory {

class Form;
class Scene;

// Cuts the window to shape index of the main table. If the desktop cannot
// build or apply the outline, the user is told and the program ends.
void ApplyShape(Scene& scene, int index, Form& window);

// The same with the balloon caps' table, which is built on first use.
void ApplyBalloonShape(Scene& scene, int index, Form& window);

}  // namespace kelvory
