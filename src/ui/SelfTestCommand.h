#pragma once
// The program's "--selftest" branch: what a run on the desktop needs from the toolkit.

namespace orvane {

// Makes the application object, the toolkit's scheduler and overlay windows and the
// platform on them, and runs the self-test command; its exit status.
int runSelfTestCommand(int argc, char** argv);

}  // namespace orvane
