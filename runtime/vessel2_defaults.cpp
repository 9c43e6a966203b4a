// The host's default bodies of the VESSEL2 callbacks.
#include "host/vessel.h"
#include "host/zapi.h"

VESSEL2::VESSEL2(HostHandle vessel, int flightModel) : VESSEL(vessel, flightModel) {}

void VESSEL2::clbkSetClassCaps(HostHandle) {}

// The host writes a vessel's state lines itself; the default adds nothing of the module's.
void VESSEL2::clbkSaveState(HostHandle) {}

void VESSEL2::clbkLoadStateEx(HostHandle scn, void* status)
{
    char* line = nullptr;
    while (zapiReadScenario_nextline(scn, line)) {
        ParseScenarioLineEx(line, status);
    }
}

void VESSEL2::clbkSetStateEx(const void* status)
{
    DefSetStateEx(status);
}

void VESSEL2::clbkPostCreation() {}
void VESSEL2::clbkFocusChanged(bool, HostHandle, HostHandle) {}
void VESSEL2::clbkPreStep(double, double, double) {}
void VESSEL2::clbkPostStep(double, double, double) {}
bool VESSEL2::clbkPlaybackEvent(double, double, const char*, const char*) { return false; }
void VESSEL2::clbkVisualCreated(HostHandle, int) {}
void VESSEL2::clbkVisualDestroyed(HostHandle, int) {}
bool VESSEL2::clbkDrawHUD(int, const void*, HostHandle) { return false; }
void VESSEL2::clbkRCSMode(int) {}
void VESSEL2::clbkADCtrlMode(unsigned int) {}
void VESSEL2::clbkHUDMode(int) {}
void VESSEL2::clbkMFDMode(int, int) {}
void VESSEL2::clbkNavMode(int, bool) {}
void VESSEL2::clbkDockEvent(int, HostHandle) {}
void VESSEL2::clbkAnimate(double) {}
int VESSEL2::clbkConsumeDirectKey(char*) { return 0; }
int VESSEL2::clbkConsumeBufferedKey(unsigned int, bool, char*) { return 0; }
bool VESSEL2::clbkLoadGenericCockpit() { return false; }
bool VESSEL2::clbkLoadPanel(int) { return false; }
bool VESSEL2::clbkPanelMouseEvent(int, int, int, int) { return false; }
bool VESSEL2::clbkPanelRedrawEvent(int, int, HostHandle) { return false; }
bool VESSEL2::clbkLoadVC(int) { return false; }
bool VESSEL2::clbkVCMouseEvent(int, int, VECTOR3&) { return false; }
bool VESSEL2::clbkVCRedrawEvent(int, int, HostHandle) { return false; }
