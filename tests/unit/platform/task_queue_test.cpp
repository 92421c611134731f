#include "platform/task_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tamsolo {
namespace {

// The owner runs posted steps in order and hands a failed one's error to the sink; a waiting
// worker gets its own step's error back.
TEST(TaskQueue, RunsStepsInOrderAndReturnsEachErrorToWhoeverWaitsForIt) {
  TaskQueue queue;
  std::vector<int> ran;
  std::vector<std::string> reported;
  queue.Post([&] { ran.push_back(1); });
  queue.Post([] { throw std::runtime_error("posted"); });
  queue.Post([&] { ran.push_back(2); });
  std::string workerSaw;
  std::atomic<bool> workerDone = false;
  std::thread worker([&] {
    try {
      queue.RunAndWait([] { throw std::runtime_error("waited"); }, [] {});
    } catch (const std::exception& error) {
      workerSaw = error.what();
    }
    workerDone = true;
  });
  while (!workerDone) {
    queue.WaitForStep(std::chrono::milliseconds(50));
    queue.RunPending([&](std::exception_ptr error) {
      try {
        std::rethrow_exception(error);
      } catch (const std::exception& caught) {
        reported.push_back(caught.what());
      }
    });
  }
  worker.join();
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  EXPECT_EQ(reported, std::vector<std::string>{"posted"});
  EXPECT_EQ(workerSaw, "waited");
}

// A refusal releases a worker that already waits and turns away every later step.
TEST(TaskQueue, ARefusalReleasesTheWaitingWorkerAndTurnsAwayLaterSteps) {
  TaskQueue queue;
  std::atomic<bool> ran = false;
  std::string workerSaw;
  std::thread worker([&] {
    try {
      queue.RunAndWait([&] { ran = true; }, [] {});
    } catch (const std::exception& error) {
      workerSaw = error.what();
    }
  });
  ASSERT_TRUE(queue.WaitForStep(std::chrono::seconds(30)));
  queue.Refuse("gone");
  worker.join();
  EXPECT_EQ(workerSaw, "gone");
  EXPECT_FALSE(queue.Post([&] { ran = true; }));
  EXPECT_EQ(queue.RunPending(nullptr), 0u);
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace tamsolo
