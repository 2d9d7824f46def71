#pragma once

// What assistive technologies learn of the bar beyond its controls: the window is a tool bar,
// and the all-games button holds its drop-down, which lives in a pop-up window of its own and
// would otherwise be found nowhere in the program's tree.
namespace BarAccessible {

// Makes Qt ask for the bar's interfaces here; the bar calls it when it is made. Later calls do
// nothing.
void Install();

}  // namespace BarAccessible
