#pragma once

#include <functional>

namespace tamsolo {

// For the fault suite only: stops or kills the program at a named point, so that a test can
// catch a run in a window a few instructions wide instead of guessing it with a clock. Active
// only when the environment variable TAMSOLO_TEST_HOOK is "<point>:kill" or "<point>:stop";
// otherwise it does nothing. kill ends the program at once (SIGKILL; TerminateProcess on
// Windows). stop stops it (SIGSTOP; Windows has no such state and goes straight on) and, once
// it goes on, waits up to ten seconds for seen, when given, to hold, so that a signal sent
// while it stood is seen before the program moves past the point.
void TestHook(const char* point, const std::function<bool()>& seen = {});

// The platform's part: end the program at once; stop it until it is told to go on.
void EndHere();
void StopHere();

}  // namespace tamsolo
