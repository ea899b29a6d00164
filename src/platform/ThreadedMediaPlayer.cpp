#include "platform/ThreadedMediaPlayer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

struct TThreadedMediaPlayer::TCommand {
  enum TKind { ckOpen, ckClose, ckDisplay, ckPlay, ckPause, ckStop, ckRewind, ckStep };
  TCommand(TKind kind, uint32_t generation) : Kind(kind), Generation(generation) {}
  TKind Kind;
  uint32_t Generation, Sequence = 0;
  std::string Path;
  TNativeWindow Window = 0;
  TMediaRect Rect;
  int32_t Frames = 0;
};

namespace {

struct TReport {
  enum TKind { rkDone, rkRefused, rkNotice, rkReleased };
  TReport(TKind kind, uint32_t generation, uint32_t sequence = 0)
      : Kind(kind), Generation(generation), Sequence(sequence) {}
  TKind Kind;
  uint32_t Generation;
  uint32_t Sequence; // the command answered; 0 for notices and releases
  bool Opened = false;   // the answer to an open: window use and length are known
  TMediaMode Mode = TMediaMode::mmNotReady;
  bool UsesWindow = false;
  int32_t Length = 0;
  TMediaNotify Notice = TMediaNotify::mnFailure;
  std::string Text; // the refusal, or the released file
};

} // namespace

struct TThreadedMediaPlayer::TSession {
  std::mutex Lock;
  std::deque<TCommand> Commands;
  std::vector<TReport> Reports;
  bool Quit = false;      // no command comes any more: close and end
  bool Abandoned = false; // nobody listens any more
  bool Ended = false;     // the player thread has closed the device and ends
  std::condition_variable EndedChanged;
  std::function<void()> HandOff;
  std::unique_ptr<IMediaDevice> Device;

  void Report(TReport report) {
    std::lock_guard<std::mutex> guard(Lock);
    if (Abandoned)
      return;
    Reports.push_back(std::move(report));
    HandOff();
  }

  // The player thread: runs the commands in order, waiting on the device
  // between them.
  static void Run(std::shared_ptr<TSession> session) {
    IMediaDevice &device = *session->Device;
    device.Begin();
    uint32_t generation = 0;
    std::string open;
    device.Notice = [&session, &generation](TMediaNotify notice) {
      TReport report{TReport::rkNotice, generation};
      report.Notice = notice;
      session->Report(report);
    };
    auto release = [&] {
      if (open.empty())
        return;
      device.Close();
      TReport report{TReport::rkReleased, generation};
      report.Text = open;
      open.clear();
      session->Report(report);
    };
    for (;;) {
      std::optional<TCommand> command;
      {
        std::lock_guard<std::mutex> guard(session->Lock);
        if (!session->Commands.empty()) {
          command = std::move(session->Commands.front());
          session->Commands.pop_front();
        } else if (session->Quit) {
          break;
        }
      }
      if (!command) {
        device.Wait();
        continue;
      }
      TReport answer{TReport::rkDone, command->Generation, command->Sequence};
      bool ok = true;
      if (command->Kind == TCommand::ckOpen) {
        release();
        generation = command->Generation;
        ok = device.Open(command->Path);
        if (ok) {
          open = command->Path;
          answer.Opened = true;
          answer.UsesWindow = device.UsesWindow();
          answer.Length = device.Length();
        }
      } else if (command->Kind == TCommand::ckClose) {
        release();
      } else if (open.empty() || command->Generation != generation) {
        // A command for a file that did not open: answered, nothing to do.
      } else {
        switch (command->Kind) {
        case TCommand::ckDisplay:
          ok = !device.UsesWindow() || device.SetDisplay(command->Window, command->Rect);
          break;
        case TCommand::ckPlay: ok = device.Play(); break;
        case TCommand::ckPause:
          switch (device.Mode()) {
          case TMediaMode::mmPlaying: ok = device.Pause(); break;
          case TMediaMode::mmPaused: ok = device.Resume(); break;
          default: break; // ended meanwhile
          }
          break;
        case TCommand::ckStop: ok = device.Stop(); break;
        case TCommand::ckRewind: ok = device.Rewind(); break;
        case TCommand::ckStep: ok = device.Step(command->Frames); break;
        default: break;
        }
      }
      if (ok) {
        answer.Mode = open.empty() ? TMediaMode::mmNotReady : device.Mode();
        session->Report(answer);
        continue;
      }
      answer.Kind = TReport::rkRefused;
      answer.Text = device.LastError();
      const std::string path = command->Kind == TCommand::ckOpen ? command->Path : open;
      release();
      session->Report(answer);
      if (command->Kind == TCommand::ckOpen) {
        TReport released{TReport::rkReleased, command->Generation};
        released.Text = path;
        session->Report(released);
      }
    }
    release();
    device.End();
    std::lock_guard<std::mutex> guard(session->Lock);
    session->Ended = true;
    session->EndedChanged.notify_all();
  }
};

TThreadedMediaPlayer::TThreadedMediaPlayer(TDeviceFactory makeDevice,
                                           std::function<void()> handOff,
                                           std::chrono::milliseconds answerLimit)
    : makeDevice_(std::move(makeDevice)), handOff_(std::move(handOff)),
      answerLimit_(answerLimit) {}

TThreadedMediaPlayer::~TThreadedMediaPlayer() {
  if (!session_)
    return;
  std::unique_lock<std::mutex> guard(session_->Lock);
  session_->Abandoned = true;
  session_->Quit = true;
  session_->Device->Wake();
  // The program ends: a device that answers closes its file first (a
  // driver's thread cut off in the middle of a command may hold the process
  // at its end), one that does not is left behind after a second.
  session_->EndedChanged.wait_for(guard, std::chrono::seconds(1),
                                  [this] { return session_->Ended; });
}

bool TThreadedMediaPlayer::Post(TCommand command) {
  if (!session_) {
    std::unique_ptr<IMediaDevice> device = makeDevice_ ? makeDevice_() : nullptr;
    if (!device)
      return false;
    session_ = std::make_shared<TSession>();
    session_->Device = std::move(device);
    session_->HandOff = handOff_;
    std::thread(TSession::Run, session_).detach();
  }
  const bool wasWaiting = Waiting();
  command.Sequence = ++posted_;
  if (!wasWaiting) {
    lastAnswer_ = std::chrono::steady_clock::now();
    WaitingChanged(true);
  }
  {
    std::lock_guard<std::mutex> guard(session_->Lock);
    session_->Commands.push_back(std::move(command));
  }
  session_->Device->Wake();
  return true;
}

void TThreadedMediaPlayer::Answered(uint32_t sequence) {
  if (sequence <= answered_)
    return; // an answer of an abandoned thread, or out of date
  answered_ = sequence;
  lastAnswer_ = std::chrono::steady_clock::now();
  if (!Waiting())
    WaitingChanged(false);
}

void TThreadedMediaPlayer::ClearState() {
  fileName_.clear();
  usesWindow_ = false;
  length_ = 0;
  mode_ = TMediaMode::mmNotReady;
}

bool TThreadedMediaPlayer::Open(const std::string &path) {
  Close();
  if (path.empty())
    return false;
  TCommand command{TCommand::ckOpen, ++generation_};
  command.Path = path;
  if (!Post(command))
    return false;
  fileName_ = path;
  mode_ = TMediaMode::mmStopped;
  return true;
}

void TThreadedMediaPlayer::Close() {
  if (fileName_.empty())
    return;
  Post(TCommand{TCommand::ckClose, generation_});
  ClearState();
}

bool TThreadedMediaPlayer::SetDisplay(TNativeWindow window, const TMediaRect &rect) {
  if (fileName_.empty() || !window)
    return false;
  TCommand command{TCommand::ckDisplay, generation_};
  command.Window = window;
  command.Rect = rect;
  return Post(command);
}

bool TThreadedMediaPlayer::Play() {
  if (fileName_.empty() || !Post(TCommand{TCommand::ckPlay, generation_}))
    return false;
  mode_ = TMediaMode::mmPlaying;
  return true;
}

bool TThreadedMediaPlayer::Pause() {
  if (mode_ != TMediaMode::mmPlaying && mode_ != TMediaMode::mmPaused)
    return false;
  if (!Post(TCommand{TCommand::ckPause, generation_}))
    return false;
  mode_ = mode_ == TMediaMode::mmPlaying ? TMediaMode::mmPaused : TMediaMode::mmPlaying;
  return true;
}

bool TThreadedMediaPlayer::Stop() {
  if (fileName_.empty() || !Post(TCommand{TCommand::ckStop, generation_}))
    return false;
  mode_ = TMediaMode::mmStopped;
  return true;
}

bool TThreadedMediaPlayer::Rewind() {
  return !fileName_.empty() && Post(TCommand{TCommand::ckRewind, generation_});
}

bool TThreadedMediaPlayer::Step(int32_t frames) {
  if (!usesWindow_ || frames == 0)
    return false;
  TCommand command{TCommand::ckStep, generation_};
  command.Frames = frames;
  if (!Post(command))
    return false;
  mode_ = TMediaMode::mmPaused;
  return true;
}

void TThreadedMediaPlayer::Deliver() {
  if (!session_)
    return;
  std::vector<TReport> reports;
  {
    std::lock_guard<std::mutex> guard(session_->Lock);
    reports.swap(session_->Reports);
  }
  // The callbacks may give new commands, even open another file: each report
  // is checked against the state as it is when its turn comes.
  for (const TReport &report : reports) {
    Answered(report.Sequence);
    const bool current = report.Generation == generation_ && !fileName_.empty();
    switch (report.Kind) {
    case TReport::rkDone:
      if (!current)
        break;
      if (report.Opened) {
        usesWindow_ = report.UsesWindow;
        length_ = report.Length;
      }
      if (report.Sequence == posted_) // no later command changes it again
        mode_ = report.Mode;
      break;
    case TReport::rkNotice:
      if (!current)
        break;
      if (report.Notice == TMediaNotify::mnSuccessful && !Waiting())
        mode_ = TMediaMode::mmStopped;
      if (OnNotify)
        OnNotify(report.Notice);
      break;
    case TReport::rkRefused:
      lastError_ = report.Text;
      if (!current)
        break;
      ClearState();
      if (OnClosed)
        OnClosed();
      break;
    case TReport::rkReleased:
      if (OnFileReleased)
        OnFileReleased(report.Text);
      break;
    }
  }
}

void TThreadedMediaPlayer::CheckAnswer() {
  if (Waiting() && std::chrono::steady_clock::now() - lastAnswer_ > answerLimit_)
    Abandon();
}

void TThreadedMediaPlayer::Abandon() {
  if (session_) {
    {
      std::lock_guard<std::mutex> guard(session_->Lock);
      session_->Abandoned = true;
      session_->Quit = true; // should it ever answer again, it closes and ends
    }
    session_->Device->Wake();
    session_.reset();
  }
  answered_ = posted_;
  WaitingChanged(false);
  lastError_ = "the device did not answer";
  if (fileName_.empty())
    return;
  ClearState();
  if (OnClosed)
    OnClosed();
}
