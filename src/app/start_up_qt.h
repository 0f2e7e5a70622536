// The links the start-up makes between the plot window and the machine
// settings, which neither makes itself.
#pragma once

class TForm2;
namespace tolva {
class MachineSettings;
}

// The recall file takes the plot window's cut and rapid speed fields when it
// is written, and every machine file loaded gives the slide amount. The
// speed fields are not touched by a load: only ShowRecalledSpeeds sets them.
// The links end when the plot window goes.
void LinkPlotWindowToSettings(TForm2& form2, tolva::MachineSettings& settings);

// Once, after the start-up's loads: the speeds the recall file remembers.
void ShowRecalledSpeeds(TForm2& form2, const tolva::MachineSettings& settings);
