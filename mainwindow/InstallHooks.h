#pragma once
// Connects the hooks of the lower layers to the subsystems and windows above
// them: the message box, the main window, the balance recount, the settings
// the stand-ins read. The program and the test runner call it once at start.
void InstallProgramHooks();
