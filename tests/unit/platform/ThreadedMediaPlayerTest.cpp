#include "platform/ThreadedMediaPlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// What the devices of one player share with the test: their command log,
// the threads they ran on and a gate that holds the first open back (a
// device that does not answer).
struct TDeviceWorld {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::string> log;
  std::vector<std::thread::id> threads;
  bool holdFirstOpen = false;
  bool gateOpen = false;
  int made = 0, ended = 0;
  bool refuseStop = false;

  void Record(const std::string &line) {
    std::lock_guard<std::mutex> guard(lock);
    log.push_back(line);
  }
};

class TFakeDevice : public IMediaDevice {
public:
  TFakeDevice(std::shared_ptr<TDeviceWorld> world, int number)
      : world_(*world), keep_(std::move(world)), number_(number) {}
  void Begin() override {
    std::lock_guard<std::mutex> guard(world_.lock);
    world_.threads.push_back(std::this_thread::get_id());
  }
  void End() override {
    std::lock_guard<std::mutex> guard(world_.lock);
    ++world_.ended;
    world_.changed.notify_all();
  }
  bool Open(const std::string &path) override {
    world_.Record(std::to_string(number_) + " open " + path);
    if (number_ == 1 && world_.holdFirstOpen) {
      std::unique_lock<std::mutex> guard(world_.lock);
      world_.changed.wait(guard, [this] { return world_.gateOpen; });
    }
    open_ = path != "refused.avi";
    return open_;
  }
  void Close() override { world_.Record(std::to_string(number_) + " close"); }
  bool UsesWindow() override { return true; }
  int32_t Length() override { return 30; }
  bool SetDisplay(TNativeWindow, const TMediaRect &rect) override {
    world_.Record(std::to_string(number_) + " display " + std::to_string(rect.Width));
    return true;
  }
  bool Play() override {
    world_.Record(std::to_string(number_) + " play");
    mode_ = TMediaMode::mmPlaying;
    Notice(TMediaNotify::mnSuccessful); // a very short film
    return true;
  }
  bool Pause() override { return true; }
  bool Resume() override { return true; }
  bool Stop() override {
    world_.Record(std::to_string(number_) + " stop");
    mode_ = TMediaMode::mmStopped;
    return !world_.refuseStop;
  }
  bool Rewind() override { return true; }
  bool Step(int32_t) override { return true; }
  TMediaMode Mode() override { return mode_; }
  std::string LastError() override { return "refused"; }
  void Wait() override {
    std::unique_lock<std::mutex> guard(wakeLock_);
    woken_.wait(guard, [this] { return wake_; });
    wake_ = false;
  }
  void Wake() override {
    std::lock_guard<std::mutex> guard(wakeLock_);
    wake_ = true;
    woken_.notify_all();
  }

private:
  TDeviceWorld &world_;
  std::shared_ptr<TDeviceWorld> keep_; // an abandoned thread may outlive the test
  int number_;
  bool open_ = false;
  TMediaMode mode_ = TMediaMode::mmStopped;
  std::mutex wakeLock_;
  std::condition_variable woken_;
  bool wake_ = false;
};

class ThreadedMediaPlayerTest : public ::testing::Test {
protected:
  ThreadedMediaPlayerTest() { MakePlayer(std::chrono::seconds(10)); }
  // A new player whose devices are given up after answerLimit.
  void MakePlayer(std::chrono::milliseconds answerLimit) {
    owned = std::make_unique<TThreadedMediaPlayer>(
        [this] {
          std::lock_guard<std::mutex> guard(world.lock);
          return std::make_unique<TFakeDevice>(shared, ++world.made);
        },
        [this] { ++handOffs; }, answerLimit);
    owned->OnNotify = [this](TMediaNotify notice) {
      notices.push_back(notice);
      callbackThreads.push_back(std::this_thread::get_id());
    };
    owned->OnClosed = [this] { ++closed; };
    owned->OnFileReleased = [this](const std::string &path) { released.push_back(path); };
  }
  ~ThreadedMediaPlayerTest() override {
    std::lock_guard<std::mutex> guard(world.lock);
    world.gateOpen = true; // let a held thread end
    world.changed.notify_all();
  }

  // The window thread's part: runs what the player thread handed back until
  // the condition holds (up to 10 s).
  bool DeliverUntil(const std::function<bool()> &condition) {
    for (int i = 0; i < 2000 && !condition(); ++i) {
      owned->Deliver();
      owned->CheckAnswer();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
  }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> guard(world.lock);
    return world.log;
  }

  std::shared_ptr<TDeviceWorld> shared = std::make_shared<TDeviceWorld>();
  TDeviceWorld &world = *shared;
  std::atomic<int> handOffs{0};
  std::unique_ptr<TThreadedMediaPlayer> owned;
  std::vector<TMediaNotify> notices;
  std::vector<std::thread::id> callbackThreads;
  int closed = 0;
  std::vector<std::string> released;
};

TEST_F(ThreadedMediaPlayerTest, CommandsRunInOrderOnThePlayerThreadAndReportOnTheCallers) {
  world.holdFirstOpen = true;
  // The device is still busy opening: every call returns, with the state the
  // commands lead to.
  ASSERT_TRUE(owned->Open("film.avi"));
  EXPECT_TRUE(owned->SetDisplay(7, {25, 30, 180, 180}));
  EXPECT_TRUE(owned->Play());
  EXPECT_EQ(owned->Mode(), TMediaMode::mmPlaying);
  EXPECT_TRUE(owned->Waiting());
  EXPECT_EQ(owned->Length(), 0);
  {
    std::lock_guard<std::mutex> guard(world.lock);
    world.gateOpen = true;
    world.changed.notify_all();
  }
  ASSERT_TRUE(DeliverUntil([&] { return !owned->Waiting() && !notices.empty(); }));
  EXPECT_EQ(Log(), (std::vector<std::string>{"1 open film.avi", "1 display 180", "1 play"}));
  EXPECT_GT(handOffs.load(), 0);
  EXPECT_NE(world.threads.at(0), std::this_thread::get_id());
  EXPECT_EQ(callbackThreads, std::vector<std::thread::id>{std::this_thread::get_id()});
  EXPECT_EQ(notices, std::vector<TMediaNotify>{TMediaNotify::mnSuccessful});
  EXPECT_EQ(owned->Length(), 30);
  EXPECT_TRUE(owned->CanStep());

  // Stop, then play again; closing lets go of the file.
  EXPECT_TRUE(owned->Stop() && owned->Rewind() && owned->Play());
  owned->Close();
  EXPECT_EQ(owned->FileName(), "");
  ASSERT_TRUE(DeliverUntil([&] { return !released.empty(); }));
  EXPECT_EQ(released, std::vector<std::string>{"film.avi"});
  EXPECT_EQ(Log().back(), "1 close");
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(world.made, 1);
}

TEST_F(ThreadedMediaPlayerTest, ADeviceThatDoesNotAnswerIsAbandonedForAFreshOne) {
  MakePlayer(std::chrono::seconds(1));
  world.holdFirstOpen = true;
  ASSERT_TRUE(owned->Open("film.avi"));
  ASSERT_TRUE(owned->Play());
  ASSERT_TRUE(DeliverUntil([&] { return closed == 1; }));
  EXPECT_EQ(owned->FileName(), "");
  EXPECT_EQ(owned->Mode(), TMediaMode::mmNotReady);
  EXPECT_FALSE(owned->Play());
  EXPECT_FALSE(owned->Waiting());

  ASSERT_TRUE(owned->Open("other.avi"));
  ASSERT_TRUE(owned->Play());
  ASSERT_TRUE(DeliverUntil([&] { return !owned->Waiting() && !notices.empty(); }));
  EXPECT_EQ(world.made, 2);
  EXPECT_EQ(owned->FileName(), "other.avi");

  // The abandoned device answers at last, and ends: nothing of it arrives.
  {
    std::lock_guard<std::mutex> guard(world.lock);
    world.gateOpen = true;
    world.changed.notify_all();
  }
  {
    std::unique_lock<std::mutex> guard(world.lock);
    ASSERT_TRUE(world.changed.wait_for(guard, std::chrono::seconds(10),
                                       [&] { return world.ended == 1; }));
  }
  owned->Deliver();
  EXPECT_EQ(notices.size(), 1u);
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(released.empty());
  EXPECT_EQ(owned->FileName(), "other.avi");
}

TEST_F(ThreadedMediaPlayerTest, RefusalsCloseThePlayerAndLetGoOfTheFile) {
  ASSERT_TRUE(owned->Open("refused.avi"));
  ASSERT_TRUE(owned->Play());
  ASSERT_TRUE(DeliverUntil([&] { return closed == 1 && !released.empty(); }));
  EXPECT_EQ(owned->FileName(), "");
  EXPECT_EQ(owned->LastError(), "refused");
  EXPECT_EQ(released, std::vector<std::string>{"refused.avi"});

  // A command refused after the open closes too.
  world.refuseStop = true;
  ASSERT_TRUE(owned->Open("film.avi"));
  ASSERT_TRUE(owned->Stop());
  ASSERT_TRUE(DeliverUntil([&] { return closed == 2 && released.size() == 2; }));
  EXPECT_EQ(released.back(), "film.avi");
  EXPECT_FALSE(owned->Play());
  EXPECT_EQ(world.made, 1);
}

} // namespace
