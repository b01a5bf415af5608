#pragma once
// The main program's run from the splash to the end of the message loop:
// connection, start-up sequence, the windows that live for the whole run,
// the login and the loop. Returns the exit code; a start-up step that must
// end the program raises EProgramExit.
int RunMainProgram();
